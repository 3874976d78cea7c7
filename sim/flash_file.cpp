#include "sim/flash_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace trelvin2::sim {

bool LoadFlashFile(const std::string& path, FlashMemory& flash, bool& exists, std::string& error) {
  std::error_code ec;
  exists = std::filesystem::exists(path, ec);
  if (!exists) return false;
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = path + ": cannot be read";
    return false;
  }
  if (bytes.size() != kProgramMemoryBytes) {
    error = path + ": holds " + std::to_string(bytes.size()) + " bytes, not 8192";
    return false;
  }
  auto memory = flash.MutableBytes();
  for (std::size_t i = 0; i < bytes.size(); ++i) memory[i] = static_cast<std::uint8_t>(bytes[i]);
  return true;
}

bool SaveFlashFile(const std::string& path, const FlashMemory& flash, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto bytes = flash.Bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace trelvin2::sim

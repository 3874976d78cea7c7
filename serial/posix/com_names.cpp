#include "serial/posix/com_names.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

namespace trelvin2 {
namespace {

namespace fs = std::filesystem;

struct NodeFamily {
  std::string_view prefix;
  int count;
};

// USB adapters first: on a workstation the device is nearly always on one, while ttyS nodes
// exist on most PCs whether or not a UART stands behind them.
constexpr std::array<NodeFamily, 3> kNodeFamilies{{
    {"ttyUSB", 10}, {"ttyACM", 10}, {"ttyS", 32},  // the kernel's default upper bound of 8250 nodes
}};

}  // namespace

std::optional<int> ComNumber(std::string_view name) {
  if (name.size() != 4) return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i) {
    if ((name[i] | 0x20) != "com"[i]) return std::nullopt;  // 0x20: ASCII lower case
  }
  if (name[3] < '1' || name[3] > '9') return std::nullopt;
  return name[3] - '0';
}

std::string RealPath(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return error ? std::string() : real.string();
}

ComNameMap MapComNames(const std::string& device_dir,
                       const std::vector<std::string>& excluded_nodes) {
  const fs::path dir(device_dir);
  ComNameMap names;
  std::vector<std::string> aliased;

  for (int n = 1; n <= kComNameCount; ++n) {
    const fs::path alias = dir / ("com" + std::to_string(n));
    const std::string real = RealPath(alias.string());
    if (real.empty()) continue;
    names[n - 1] = alias.string();
    aliased.push_back(real);
  }

  std::size_t next_free = 0;
  auto advance_to_free = [&] {
    while (next_free < names.size() && !names[next_free].empty()) ++next_free;
  };
  advance_to_free();
  for (const NodeFamily& family : kNodeFamilies) {
    for (int i = 0; i < family.count && next_free < names.size(); ++i) {
      const fs::path node = dir / (std::string(family.prefix) + std::to_string(i));
      const std::string real = RealPath(node.string());
      if (real.empty()) continue;
      if (std::find(aliased.begin(), aliased.end(), real) != aliased.end()) continue;
      if (std::find(excluded_nodes.begin(), excluded_nodes.end(), real) != excluded_nodes.end()) {
        continue;
      }
      names[next_free] = node.string();
      advance_to_free();
    }
  }
  return names;
}

std::vector<std::string> ConsoleNodes(const std::string& console_list_path) {
  std::vector<std::string> nodes;
  std::ifstream list(console_list_path);
  std::string name;
  while (list >> name) {
    const std::string real = RealPath((fs::path("/dev") / name).string());
    if (!real.empty()) nodes.push_back(real);
  }
  return nodes;
}

}  // namespace trelvin2

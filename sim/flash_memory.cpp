#include "sim/flash_memory.h"

#include <algorithm>

namespace trelvin2::sim {

FlashMemory::FlashMemory() { EraseAll(); }

void FlashMemory::LoadApplication(std::span<const std::uint8_t> image) {
  const std::size_t count = std::min<std::size_t>(image.size(), kLoaderRegionStart);
  std::copy_n(image.begin(), count, bytes_.begin());
}

void FlashMemory::EraseAll() { bytes_.fill(kErasedByte); }

bool IsWritableAddress(std::uint32_t address) { return address < kLoaderRegionStart; }

bool FlashMemory::EraseRow(std::uint32_t address) {
  const std::uint32_t row = address - address % kEraseRowBytes;
  if (!IsWritableAddress(row)) return false;
  std::fill_n(bytes_.begin() + row, kEraseRowBytes, kErasedByte);
  return true;
}

bool FlashMemory::ProgramBlock(std::uint32_t address,
                               std::span<const std::uint8_t, kWriteBlockBytes> data) {
  if (address % kWriteBlockBytes != 0 || !IsWritableAddress(address)) return false;
  for (std::uint32_t i = 0; i < kWriteBlockBytes; ++i) bytes_[address + i] &= data[i];
  return true;
}

bool FlashMemory::IsErased(std::uint32_t address, std::uint32_t length) const {
  for (std::uint32_t i = 0; i < length; ++i) {
    if (At(address + i) != kErasedByte) return false;
  }
  return true;
}

std::uint8_t FlashMemory::At(std::uint32_t address) const {
  return address < kProgramMemoryBytes ? bytes_[address] : kErasedByte;
}

}  // namespace trelvin2::sim

// Program memory of the Trelvin 2's PIC18F1320 as flash behaves: erased in 64-byte rows,
// programmed in 8-byte blocks, and programming can only clear bits.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace trelvin2::sim {

inline constexpr std::uint32_t kProgramMemoryBytes = 0x2000;  // the PIC18F1320 has 8 KiB
inline constexpr std::uint32_t kLoaderRegionStart = 0x1E00;   // the boot loader's last 512 bytes
inline constexpr std::uint32_t kEraseRowBytes = 64;           // the chip's unit of erasure
inline constexpr std::uint32_t kWriteBlockBytes = 8;          // the chip's holding registers
inline constexpr std::uint8_t kErasedByte = 0xFF;

class FlashMemory {
 public:
  // Starts fully erased.
  FlashMemory();

  // Loads the application area from an image whose offset is the device address (at most
  // kLoaderRegionStart bytes are taken); the rest of memory stays as it was.
  void LoadApplication(std::span<const std::uint8_t> image);
  void EraseAll();

  // Erases the row that holds address. false (nothing changes) when the row lies in the boot
  // loader's region or outside memory: the loader never erases itself.
  bool EraseRow(std::uint32_t address);

  // Programs 8 bytes at address, which must be 8-aligned and below the loader's region.
  // Each byte becomes old AND new, as flash can only clear bits. false (nothing changes) else.
  bool ProgramBlock(std::uint32_t address, std::span<const std::uint8_t, kWriteBlockBytes> data);

  // true when every byte of the block at address is erased (0xFF).
  bool IsErased(std::uint32_t address, std::uint32_t length) const;

  std::uint8_t At(std::uint32_t address) const;
  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  std::span<std::uint8_t> MutableBytes() { return bytes_; }

 private:
  std::array<std::uint8_t, kProgramMemoryBytes> bytes_;
};

// true when address may be erased or programmed by the loader.
bool IsWritableAddress(std::uint32_t address);

}  // namespace trelvin2::sim

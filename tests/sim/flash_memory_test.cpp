#include "sim/flash_memory.h"

#include <gtest/gtest.h>

#include <array>

namespace trelvin2::sim {
namespace {

constexpr std::array<std::uint8_t, 8> kBlock{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};

FlashMemory Zeroed() {
  FlashMemory flash;
  for (auto& byte : flash.MutableBytes()) byte = 0x00;
  return flash;
}

struct RowCase {
  std::uint32_t address;
  std::uint32_t first_erased;  // the row that must be erased, and nothing else
};

class RowEraseTest : public testing::TestWithParam<RowCase> {};

TEST_P(RowEraseTest, ErasesExactlyTheRowHoldingTheAddress) {
  FlashMemory flash = Zeroed();
  ASSERT_TRUE(flash.EraseRow(GetParam().address));
  for (std::uint32_t a = 0; a < kProgramMemoryBytes; ++a) {
    const bool in_row = a >= GetParam().first_erased && a < GetParam().first_erased + 64;
    ASSERT_EQ(flash.At(a), in_row ? 0xFF : 0x00) << std::hex << "address 0x" << a;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, RowEraseTest,
                         testing::Values(RowCase{0x1D40, 0x1D40}, RowCase{0x1D57, 0x1D40},
                                         RowCase{0x1D7F, 0x1D40}, RowCase{0x1D80, 0x1D80},
                                         RowCase{0x0000, 0x0000}, RowCase{0x1DFF, 0x1DC0}));

TEST(FlashMemoryTest, ProgrammingOnlyClearsBits) {
  FlashMemory flash;
  ASSERT_TRUE(flash.ProgramBlock(0x1D48, kBlock));
  EXPECT_EQ(flash.At(0x1D48), 0x12);
  EXPECT_EQ(flash.At(0x1D4F), 0xF0);
  EXPECT_EQ(flash.At(0x1D47), 0xFF);
  EXPECT_EQ(flash.At(0x1D50), 0xFF);

  const std::array<std::uint8_t, 8> second{0xFF, 0x0F, 0xF0, 0x00, 0xFF, 0xFF, 0xFF, 0x0F};
  ASSERT_TRUE(flash.ProgramBlock(0x1D48, second));
  EXPECT_EQ(flash.At(0x1D48), 0x12);         // 0x12 & 0xFF: a set bit cannot come back
  EXPECT_EQ(flash.At(0x1D49), 0x34 & 0x0F);  // 0x04
  EXPECT_EQ(flash.At(0x1D4A), 0x56 & 0xF0);  // 0x50
  EXPECT_EQ(flash.At(0x1D4B), 0x00);
  EXPECT_EQ(flash.At(0x1D4F), 0xF0 & 0x0F);  // 0x00

  ASSERT_TRUE(flash.EraseRow(0x1D48));
  EXPECT_TRUE(flash.IsErased(0x1D40, 64));
}

TEST(FlashMemoryTest, BootLoaderRegionRefusesEraseAndProgramming) {
  FlashMemory flash = Zeroed();
  for (std::uint32_t address : {0x1E00u, 0x1E40u, 0x1FC0u, 0x1FF8u, 0x2000u}) {
    EXPECT_FALSE(flash.EraseRow(address)) << std::hex << address;
    EXPECT_FALSE(flash.ProgramBlock(address, kBlock)) << std::hex << address;
  }
  EXPECT_EQ(flash.At(0x1E00), 0x00);
  EXPECT_EQ(flash.At(0x1FFF), 0x00);
  // The last row and block below the loader are the application's.
  EXPECT_TRUE(flash.EraseRow(0x1DC0));
  EXPECT_TRUE(flash.ProgramBlock(0x1DF8, kBlock));
}

TEST(FlashMemoryTest, UnalignedProgrammingIsRefused) {
  FlashMemory flash;
  for (std::uint32_t address : {0x1D41u, 0x1D44u, 0x1D4Fu}) {
    EXPECT_FALSE(flash.ProgramBlock(address, kBlock)) << std::hex << address;
  }
  EXPECT_TRUE(flash.IsErased(0, kProgramMemoryBytes));
}

TEST(FlashMemoryTest, ApplicationImageStopsBelowTheLoader) {
  FlashMemory flash = Zeroed();
  const std::vector<std::uint8_t> image(kProgramMemoryBytes, 0xAB);
  flash.LoadApplication(image);
  EXPECT_EQ(flash.At(0x1DFF), 0xAB);
  EXPECT_EQ(flash.At(0x1E00), 0x00);
}

}  // namespace
}  // namespace trelvin2::sim

#include "sim/firmware_start.h"

#include <gtest/gtest.h>

#include "data/embedded_data.h"

namespace trelvin2::sim {
namespace {

FlashMemory WithRecord(int baud_code, int protocol_code) {
  FlashMemory flash;
  flash.LoadApplication(FirmwareBin());
  flash.MutableBytes()[kBaudCodeAddress] = static_cast<std::uint8_t>(baud_code);
  flash.MutableBytes()[kProtocolCodeAddress] = static_cast<std::uint8_t>(protocol_code);
  return flash;
}

struct RateCase {
  int baud_code;
  const char* line_after_framing;  // what follows "firmware: <rate> baud <framing>"
};

class FirmwareRateTest : public testing::TestWithParam<std::tuple<RateCase, int>> {};

TEST_P(FirmwareRateTest, DecodesTheDivisorAtBaudCodeAndTheFraming) {
  const auto& [rate, protocol_code] = GetParam();
  const FirmwareStart start = DecodeFirmwareStart(WithRecord(rate.baud_code, protocol_code));
  ASSERT_TRUE(start.usable) << start.problem;
  EXPECT_EQ(start.standard_rate, kStandardRates[static_cast<std::size_t>(rate.baud_code)]);
  const char* framing = protocol_code == 0 ? "8N1" : protocol_code == 1 ? "8E1" : "8O1";
  EXPECT_EQ(FirmwareStartLine(start),
            "firmware: " + std::to_string(start.standard_rate) + " baud " + framing +
                " (BaudCode " + std::to_string(rate.baud_code) + ", ProtocolCode " +
                std::to_string(protocol_code) + ")" + rate.line_after_framing);
}

INSTANTIATE_TEST_SUITE_P(
    AllSettings, FirmwareRateTest,
    testing::Combine(testing::Values(RateCase{0, ", divisor 33332, 300.0 baud, +0.00 %"},
                                     RateCase{1, ", divisor 8332, 1200.0 baud, +0.00 %"},
                                     RateCase{2, ", divisor 4165, 2400.4 baud, +0.02 %"},
                                     RateCase{3, ", divisor 2082, 4800.8 baud, +0.02 %"},
                                     RateCase{4, ", divisor 1040, 9606.1 baud, +0.06 %"},
                                     RateCase{5, ", divisor 519, 19230.8 baud, +0.16 %"},
                                     RateCase{6, ", divisor 259, 38461.5 baud, +0.16 %"},
                                     RateCase{7, ", divisor 173, 57471.3 baud, -0.22 %"},
                                     RateCase{8, ", divisor 86, 114942.5 baud, -0.22 %"}),
                     testing::Values(0, 1, 3)));

TEST(FirmwareStartTest, UnusableRecords) {
  struct Case {
    FlashMemory flash;
    const char* line;
  };
  FlashMemory erased;
  FlashMemory bad_divisor = WithRecord(5, 0);
  bad_divisor.MutableBytes()[0x1D4A] = 0x00;  // divisor 0x0007: 1.25 Mbaud
  const Case cases[] = {
      {erased, "firmware: unusable record: the record is erased (BaudCode 255, ProtocolCode 255)"},
      {WithRecord(9, 0),
       "firmware: unusable record: BaudCode 9 is above 8 (BaudCode 9, ProtocolCode 0)"},
      {WithRecord(0xFF, 1),
       "firmware: unusable record: BaudCode 255 is above 8 (BaudCode 255, ProtocolCode 1)"},
      {WithRecord(5, 2),
       "firmware: unusable record: ProtocolCode 2 is unknown (BaudCode 5, ProtocolCode 2)"},
      {WithRecord(5, 0x0A),
       "firmware: unusable record: ProtocolCode 10 is unknown (BaudCode 5, ProtocolCode 10)"},
      {bad_divisor,
       "firmware: unusable record: divisor 7 gives 1250000.0 baud, no standard rate within 3 % "
       "(BaudCode 5, ProtocolCode 0)"},
  };
  for (const Case& c : cases) {
    const FirmwareStart start = DecodeFirmwareStart(c.flash);
    EXPECT_FALSE(start.usable);
    EXPECT_EQ(FirmwareStartLine(start), c.line);
  }
}

TEST(FirmwareStartTest, ImageAsShippedIs115200With8N1) {
  FlashMemory flash;
  flash.LoadApplication(FirmwareBin());
  const FirmwareStart start = DecodeFirmwareStart(flash);
  EXPECT_TRUE(start.usable);
  EXPECT_EQ(start.standard_rate, 115200);
  EXPECT_EQ(start.framing, "8N1");
}

}  // namespace
}  // namespace trelvin2::sim

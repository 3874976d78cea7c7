// The whole program against a device that answers everything: the operator's choice reaches the
// device's record byte for byte, the firmware starts with it, and the program ends by itself.
#include <gtest/gtest.h>

#include "app/status_line.h"
#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

struct SuccessCase {
  const char* name;
  OperatorScript script;
  std::uint8_t baud_code;
  std::uint8_t protocol_code;
  std::string settings_block;  // the eight data bytes after "B" in the third block
  int rate;
  const char* framing;
};
void PrintTo(const SuccessCase& c, std::ostream* os) { *os << c.name; }

// The nine divisors of the device's 40 MHz clock, as the tool's image carries them.
const std::string kDivisorBytes =
    sim::Bytes({0x82, 0x34, 0x20, 0x8C, 0x10, 0x45, 0x08, 0x22, 0x04, 0x10, 0x02, 0x07, 0x01, 0x03,
                0x00, 0xAD, 0x00, 0x56});
constexpr std::uint32_t kRowStart = 0x1D40;
constexpr std::uint32_t kRecordWritten = 0x1D58;  // three blocks of eight
constexpr std::uint32_t kRowEnd = 0x1D80;         // the 64-byte row the erase cleared

class SuccessfulUpdate : public ::testing::TestWithParam<SuccessCase> {
 protected:
  SuccessfulUpdate() : harness(sim::Scenario{}, GetParam().script) {}
  ProgramHarness harness;
};

TEST_P(SuccessfulUpdate, WireRecordFirmwareAndWindowFromStartToEnd) {
  const SuccessCase& c = GetParam();
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_FALSE(harness.gave_up);
  EXPECT_FALSE(harness.toolkit.script_ran_dry);
  EXPECT_FALSE(harness.idle_after_update_us) << "the program ended by itself";
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;

  // The whole exchange, both directions, nothing more and nothing less.
  EXPECT_EQ(LineRuns(harness.device.Transcript()),
            SuccessfulUpdateRuns(c.baud_code, c.protocol_code));
  EXPECT_NE(harness.SentBytes().find("B" + c.settings_block + "A"), std::string::npos);

  const auto& firmware = harness.device.Firmware();
  ASSERT_TRUE(firmware.has_value());
  EXPECT_TRUE(firmware->usable) << firmware->problem;
  EXPECT_EQ(firmware->baud_code, c.baud_code);
  EXPECT_EQ(firmware->protocol_code, c.protocol_code);
  EXPECT_EQ(firmware->standard_rate, c.rate);
  EXPECT_EQ(firmware->framing, c.framing);

  const sim::FlashMemory& flash = harness.device.Flash();
  std::string record;
  for (std::uint32_t a = kRowStart; a < kRecordWritten; ++a)
    record += static_cast<char>(flash.At(a));
  EXPECT_EQ(record,
            kDivisorBytes + sim::Bytes({c.baud_code, c.protocol_code, 0x0A, 0x0A, 0x0A, 0x0A}));
  EXPECT_TRUE(flash.IsErased(kRecordWritten, kRowEnd - kRecordWritten));

  const auto window = harness.MainWindowAtEnd();
  EXPECT_EQ(window.progress, (std::vector<int>{4000, 3933, 0, 0, 34, 0, 571, 1142, 1713, 4000}));
  EXPECT_EQ(harness.StatusTexts(),
            (std::vector<std::string>{"Reset oder Neustart am Trelvin 2 durchführen",
                                      "Sicherheits-Code wird übertragen", "Sicherheits-Code OK",
                                      "Lösche Modem", "Schreibe Datenlock von 1D40  bis  1D78",
                                      "Update der Schnittstelle erfogreich beendet"}));
  EXPECT_EQ(window.text_colour, std::nullopt);
  EXPECT_EQ(window.background_colour, kStatusGrey);
  EXPECT_TRUE(window.start_disabled);
  EXPECT_TRUE(harness.toolkit.message_boxes.empty());

  // The success message stays 3 s, then the program ends; "S" left just before the message.
  const auto success_us = harness.StatusShownUs("Update der Schnittstelle erfogreich beendet");
  ASSERT_TRUE(success_us.has_value());
  EXPECT_GE(harness.ended_us - *success_us, 3000 * kUsPerMs);
  EXPECT_LT(harness.ended_us - *success_us, 3001 * kUsPerMs);
  const std::uint64_t start_byte_us = harness.SentTimesUs().back();
  EXPECT_LE(start_byte_us - *success_us, sim::kByteTimeUs);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SuccessfulUpdate,
    ::testing::Values(SuccessCase{"Rate19200Framing8E1",
                                  {5, 0},
                                  5,
                                  1,
                                  sim::Bytes({0x00, 0x56, 0x05, 0x01, 0x0A, 0x0A, 0x0A, 0x0A}),
                                  19200,
                                  "8E1"},
                      SuccessCase{"Rate300Framing8O1",
                                  {0, 1},
                                  0,
                                  3,
                                  sim::Bytes({0x00, 0x56, 0x00, 0x03, 0x0A, 0x0A, 0x0A, 0x0A}),
                                  300,
                                  "8O1"},
                      SuccessCase{"Defaults115200And8N1",
                                  {},
                                  8,
                                  0,
                                  sim::Bytes({0x00, 0x56, 0x08, 0x00, 0x0A, 0x0A, 0x0A, 0x0A}),
                                  115200,
                                  "8N1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2

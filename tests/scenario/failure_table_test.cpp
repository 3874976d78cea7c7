// Every way an update can fail, as one table: what the device does wrong, what the operator then
// sees, and what the tool has sent up to the refusal and nothing after it. After each failure the
// start button stays disabled and the program waits until the operator closes it.
#include <gtest/gtest.h>

#include "app/status_line.h"
#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

// A silent loader gets one "D" per attempt of a little over a second (the connect wait ends
// with the first 100-ms event wait past the 1000-ms mark) until 30 s have passed.
constexpr int kAttemptsIn30s = 28;
constexpr std::uint64_t kConnectLimitMs = 30000;
constexpr std::uint64_t kLongestAttemptMs = 1100;

struct FailureRow {
  const char* name;
  std::vector<std::string> faults;
  int connect_attempts;  // "D"s on the wire
  UpdateExchange last_sent;
  const char* step_message;  // the refusing step's own error, replaced at once; null for none
  const char* final_status;
  bool red;
  int final_progress;
  bool message_box;
};
void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.name; }

class FailureTable : public ::testing::TestWithParam<FailureRow> {
 protected:
  FailureTable() : harness(ScenarioOf(GetParam().faults)) {}
  ProgramHarness harness;
};

TEST_P(FailureTable, ShowsTheFailureSendsNothingMoreAndWaitsForTheClose) {
  const FailureRow& row = GetParam();
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_FALSE(harness.gave_up);
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;

  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(row.connect_attempts, row.last_sent));
  EXPECT_FALSE(harness.device.Firmware().has_value());

  const auto window = harness.MainWindowAtEnd();
  EXPECT_EQ(window.status, row.final_status);
  EXPECT_EQ(window.text_colour, row.red ? std::optional(kErrorRed) : std::nullopt);
  EXPECT_EQ(window.background_colour, kStatusGrey);
  ASSERT_FALSE(window.progress.empty());
  EXPECT_EQ(window.progress.back(), row.final_progress);
  EXPECT_TRUE(window.start_disabled);
  const auto texts = harness.StatusTexts();
  if (row.step_message != nullptr) {
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], row.step_message);
  }

  ASSERT_EQ(harness.toolkit.message_boxes.size(), row.message_box ? 1u : 0u);
  if (row.message_box) {
    EXPECT_EQ(harness.toolkit.message_boxes[0],
              (std::pair<std::string, std::string>{
                  "                         E  R  R  O  R",
                  "Es konnte keine Verbindung zum Loader hergestellt werden!"}));
    const auto pressed_us = harness.StatusShownUs("Reset oder Neustart am Trelvin 2 durchführen");
    ASSERT_TRUE(pressed_us.has_value());
    const std::uint64_t box_after_us = harness.toolkit.message_box_log[0].at_us - *pressed_us;
    EXPECT_GE(box_after_us, kConnectLimitMs * kUsPerMs);
    EXPECT_LE(box_after_us, (kConnectLimitMs + kLongestAttemptMs) * kUsPerMs);
  }

  // The program idles until the operator closes it, and nothing goes out meanwhile.
  ASSERT_TRUE(harness.idle_after_update_us.has_value());
  EXPECT_GE(harness.ended_us,
            *harness.idle_after_update_us + ProgramHarness::kOperatorReadsMs * kUsPerMs);
  EXPECT_GE(harness.idle_waits, 40);
  EXPECT_EQ(harness.SentBytesFrom(*harness.idle_after_update_us), "");
  EXPECT_FALSE(harness.toolkit.script_ran_dry);
}

constexpr const char* kNoAnswer = "Der Loader amtwortet nicht";
constexpr const char* kCodeRefused = "Der Sicherheits-Code wurde nicht akzeptiert";
constexpr const char* kEraseFailed = "Fehler beim Löschen der Schnittstellen Daten";
constexpr const char* kAddressNotTaken = "Fehler beim Übermitteln der Adresse";
constexpr const char* kRowNotErased = "Fehler beim Löschen des Modems";
constexpr const char* kUpdateFailed = "Fehler beim Update der Schnittstelle";
constexpr const char* kLoadRefused = "Fehler beim Übertragen des Programms";
constexpr const char* kAddressRefused = "Fehler während der Adressübertragung";
constexpr const char* kWriteRefused = "Fehler beim Programmieren";

// clang-format off
const FailureRow kRows[] = {
  // connect: the loader never answers as it should, so 30 s of attempts end in the message box
  {"SilentDevice",          {"silence"},        kAttemptsIn30s, kConnectExchange, nullptr, kNoAnswer, false, 0, true},
  {"LowerCaseConnectReply", {"case:D"},         kAttemptsIn30s, kConnectExchange, nullptr, kNoAnswer, false, 0, true},
  {"ConnectReplyLineEnd",   {"crlf"},           kAttemptsIn30s, kConnectExchange, nullptr, kNoAnswer, false, 0, true},
  // security code: a refusal is reported; a missing answer says the loader does not answer
  {"WrongSecurityReply",    {"wrong:code"},     1, kCodeExchange, nullptr, kCodeRefused, false, 0, false},
  {"MissingSecurityReply",  {"late:code=100"},  1, kCodeExchange, nullptr, kNoAnswer,    false, 0, false},
  {"LongSecurityReply",     {"long:code"},      1, kCodeExchange, nullptr, kCodeRefused, false, 0, false},
  {"ShortSecurityReply",    {"short:code"},     1, kCodeExchange, nullptr, kCodeRefused, false, 0, false},
  // erase: "C" goes out only after "A!"; the bar shows the erase's 34 either way
  {"EraseAddressRefused",   {"reply:A#1=A?"},   1, kEraseAddressExchange, kAddressNotTaken, kEraseFailed, true, 34, false},
  {"EraseRefused",          {"reply:C=C?"},     1, kEraseExchange,        kRowNotErased,    kEraseFailed, true, 34, false},
  {"EraseNeverAnswered",    {"late:C=1000"},    1, kEraseExchange,        kRowNotErased,    kEraseFailed, true, 34, false},
  // programming: nothing after a refused command; the SettingsBlock still counts its share
  {"Block1LoadRefused",     {"reply:B#1=B?"},   1, kBlock1Load,      kLoadRefused,    kUpdateFailed, true, 0,    false},
  {"Block1AddressRefused",  {"reply:A#2=A?"},   1, kBlock1Address,   kAddressRefused, kUpdateFailed, true, 0,    false},
  {"Block1WriteRefused",    {"reply:W#1=W?"},   1, kBlock1Write,     kWriteRefused,   kUpdateFailed, true, 0,    false},
  {"Block2LoadRefused",     {"reply:B#2=B?"},   1, kBlock2Load,      kLoadRefused,    kUpdateFailed, true, 571,  false},
  {"Block2AddressRefused",  {"reply:A#3=A?"},   1, kBlock2Address,   kAddressRefused, kUpdateFailed, true, 571,  false},
  {"Block2WriteRefused",    {"reply:W#2=W?"},   1, kBlock2Write,     kWriteRefused,   kUpdateFailed, true, 571,  false},
  {"SettingsLoadRefused",   {"reply:B#3=B?"},   1, kSettingsLoad,    kLoadRefused,    kUpdateFailed, true, 1713, false},
  {"SettingsAddressRefused",{"reply:A#4=A?"},   1, kSettingsAddress, kAddressRefused, kUpdateFailed, true, 1713, false},
  {"SettingsWriteRefused",  {"reply:W#3=W?"},   1, kSettingsWrite,   kWriteRefused,   kUpdateFailed, true, 1713, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, FailureTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2

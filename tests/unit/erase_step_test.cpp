// Erasing the configuration row: the wire exchange, each refusal with its message, the progress.
#include "loader/erase_step.h"

#include <gtest/gtest.h>

#include "app/status_line.h"
#include "tests/unit/main_window_bench.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

const std::string kSetAddress("A\x40\x1D\x00", 4);

struct EraseCase {
  const char* name;
  std::vector<std::string> replies;  // to "A" with the address, then to "C"
  int result;
  std::string wire;
  const char* message;  // "" when all went well
};
void PrintTo(const EraseCase& c, std::ostream* os) { *os << c.name; }

class EraseStepTest : public ::testing::Test, protected MainWindowBench {};

class EraseStepTable : public EraseStepTest, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(EraseStepTable, SendsTheAddressThenEraseAndReportsTheFirstRefusal) {
  const EraseCase& c = GetParam();
  link.AnswerCommands(c.replies);
  EXPECT_EQ(EraseStep(program), c.result);
  EXPECT_EQ(link.WrittenText(), c.wire);
  EXPECT_EQ(link.writes.size(), c.wire.size() == 4 ? 2u : 3u);  // letter, address, letter
  const auto* line = toolkit.FindControl(kStatusLine);
  if (c.result == 1) {
    EXPECT_TRUE(toolkit.status_texts.empty());
    EXPECT_EQ(line->text_colour, std::nullopt);
  } else {
    EXPECT_EQ(toolkit.status_texts, std::vector<std::string>{c.message});
    EXPECT_EQ(line->text_colour, kErrorRed);
    EXPECT_EQ(line->background_colour, kStatusGrey);
  }
  EXPECT_EQ(toolkit.FindControl(kProgressBar)->state_history, (std::vector<int>{0, 34}));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, EraseStepTable,
    ::testing::Values(
        EraseCase{"Acknowledged", {"A!", "C!"}, 1, kSetAddress + "C", ""},
        EraseCase{
            "AddressLowerCase", {"a!"}, 0, kSetAddress, "Fehler beim Übermitteln der Adresse"},
        EraseCase{"AddressUnanswered", {""}, 0, kSetAddress, "Fehler beim Übermitteln der Adresse"},
        EraseCase{"AddressShort", {"A"}, 0, kSetAddress, "Fehler beim Übermitteln der Adresse"},
        EraseCase{
            "EraseUnanswered", {"A!", ""}, 0, kSetAddress + "C", "Fehler beim Löschen des Modems"},
        EraseCase{
            "EraseWrong", {"A!", "C?"}, 0, kSetAddress + "C", "Fehler beim Löschen des Modems"},
        // the stray byte opens the reply to "C": "xC"
        EraseCase{"StrayByteAfterAddressAck",
                  {"A!x", "C!"},
                  0,
                  kSetAddress + "C",
                  "Fehler beim Löschen des Modems"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EraseStepTest, SilentEraseIsReportedAfterTheWaitAndTwoTimedOutReads) {
  link.AnswerCommands({"A!"});
  EXPECT_EQ(EraseStep(program), 0);
  EXPECT_GE(clock.NowUs(), 240'000u);
  EXPECT_LT(clock.NowUs(), 250'000u);
}

}  // namespace
}  // namespace trelvin2

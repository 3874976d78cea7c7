// The run behind the start button: the steps in order, the start byte and the self-ending on
// success, and what each failure leaves in the status line.
#include "app/update_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/status_line.h"
#include "loader/firmware_image.h"
#include "tests/unit/main_window_bench.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr std::uint64_t kMs = 1000;
const std::vector<std::string> kEraseAndProgramAcks = {"A!", "C!", "B!", "A!", "W!", "B!",
                                                       "A!", "W!", "B!", "A!", "W!"};

// A device that answers the first connect command, then the security code, then the loader
// commands from a list.
class UpdateSequenceTest : public ::testing::Test, protected MainWindowBench {
 protected:
  UpdateSequenceTest() {
    program.settings = {5, kProtocol8N1};
    link.on_write = [this](ScriptedLink& l, std::span<const std::uint8_t> bytes) {
      if (l.written.size() == 1 && bytes[0] == 'D' && answer_connect) {
        l.ArriveInUs(50 * kMs, "LD=SB");
      }
      if (l.written.size() == 4) {  // the third code byte
        l.ArriveInUs(5 * kMs, "L!");
        l.AnswerCommands(command_replies);
      }
    };
  }
  bool answer_connect = true;
  std::vector<std::string> command_replies = kEraseAndProgramAcks;
};

TEST_F(UpdateSequenceTest, SuccessStartsTheFirmwareAndEndsTheProgramThreeSecondsLater) {
  UpdateSequence(program);
  EXPECT_TRUE(toolkit.FindControl(kStartButton)->disabled);
  EXPECT_EQ(toolkit.status_texts,
            (std::vector<std::string>{"Reset oder Neustart am Trelvin 2 durchführen",
                                      "Sicherheits-Code wird übertragen", "Sicherheits-Code OK",
                                      "Lösche Modem", "Schreibe Datenlock von 1D40  bis  1D78",
                                      "Update der Schnittstelle erfogreich beendet"}));
  EXPECT_EQ(Progress(), (std::vector<int>{4000, 3933, 0, 0, 34, 0, 571, 1142, 1713, 4000}));
  // D, three code bytes, the erase (5), three blocks (42), then "S" in a write of its own
  EXPECT_EQ(link.written.size(), 1u + 3 + 5 + 42 + 1);
  EXPECT_EQ(link.writes.back(), std::vector<std::uint8_t>{'S'});
  EXPECT_EQ(clock.pauses_ms.back(), 3000);
  EXPECT_GE(clock.NowUs() - link.written.back().at_us, 3000 * kMs);
  EXPECT_EQ(program.last_event_code, kCloseRequest);
  EXPECT_EQ(toolkit.FindControl(kStatusLine)->text_colour, std::nullopt);
}

TEST_F(UpdateSequenceTest, CursorIsRewoundBeforeTheEraseSoTheBlocksComeFromTheRecord) {
  program.image_cursor.Skip(100);  // left anywhere by an earlier reader
  UpdateSequence(program);
  const auto image = FirmwareImage();
  const auto wire = link.WrittenBytes();
  const std::size_t first_block_data = 1 + 3 + 5 + 1;  // after "D", the code, the erase, "B"
  EXPECT_TRUE(std::equal(image.begin() + 0x1D40, image.begin() + 0x1D48,
                         wire.begin() + static_cast<long>(first_block_data)));
}

struct FailureCase {
  const char* name;
  bool answer_connect;
  std::vector<std::string> command_replies;
  const char* last_status;
  bool red;
  std::size_t message_boxes;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class UpdateFailureTable : public UpdateSequenceTest,
                           public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateFailureTable, FailedStepLeavesItsMessageAndTheButtonDisabled) {
  const FailureCase& c = GetParam();
  answer_connect = c.answer_connect;
  command_replies = c.command_replies;
  UpdateSequence(program);
  EXPECT_EQ(toolkit.status_texts.back(), c.last_status);
  EXPECT_EQ(toolkit.FindControl(kStatusLine)->text_colour,
            c.red ? std::optional<std::uint32_t>(kErrorRed) : std::nullopt);
  EXPECT_EQ(toolkit.message_boxes.size(), c.message_boxes);
  EXPECT_TRUE(toolkit.FindControl(kStartButton)->disabled);
  EXPECT_EQ(std::count(link.writes.begin(), link.writes.end(), std::vector<std::uint8_t>{'S'}), 0);
  EXPECT_NE(Progress().back(), 4000);
  EXPECT_EQ(program.last_event_code, 0);  // the main loop goes on waiting for the close
}

INSTANTIATE_TEST_SUITE_P(
    Failures, UpdateFailureTable,
    ::testing::Values(FailureCase{"NoLoader", false, {}, "Der Loader amtwortet nicht", false, 1},
                      FailureCase{"EraseAddressRefused",
                                  true,
                                  {"a!"},
                                  "Fehler beim Löschen der Schnittstellen Daten",
                                  true,
                                  0},
                      FailureCase{"EraseRefused",
                                  true,
                                  {"A!", ""},
                                  "Fehler beim Löschen der Schnittstellen Daten",
                                  true,
                                  0},
                      FailureCase{"FirstBlockRefused",
                                  true,
                                  {"A!", "C!", "B?"},
                                  "Fehler beim Update der Schnittstelle",
                                  true,
                                  0},
                      FailureCase{"SettingsBlockRefused",
                                  true,
                                  {"A!", "C!", "B!", "A!", "W!", "B!", "A!", "W!", "B!", "A!", ""},
                                  "Fehler beim Update der Schnittstelle",
                                  true,
                                  0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateSequenceTest, SecurityCodeRefusedEndsWithTheConnectStepsOwnMessage) {
  link.on_write = [](ScriptedLink& l, std::span<const std::uint8_t> bytes) {
    if (bytes[0] == 'D') l.ArriveInUs(50 * kMs, "LD=SB");
    if (l.written.size() == 4) l.ArriveInUs(5 * kMs, "L?");
  };
  UpdateSequence(program);
  EXPECT_EQ(toolkit.status_texts.back(), "Der Sicherheits-Code wurde nicht akzeptiert");
  EXPECT_EQ(link.written.size(), 4u);  // nothing after the code
  EXPECT_EQ(program.last_event_code, 0);
}

TEST_F(UpdateSequenceTest, CloseDuringTheConnectWaitEndsTheProgramWithNothingMoreSent) {
  answer_connect = false;
  toolkit.CloseAt(2500, kMainWindow);
  UpdateSequence(program);
  EXPECT_EQ(program.last_event_code, kCloseRequest);
  EXPECT_EQ(link.WrittenText(), "DDD");
  EXPECT_TRUE(toolkit.message_boxes.empty());
  EXPECT_EQ(toolkit.status_texts.back(), "Reset oder Neustart am Trelvin 2 durchführen");
}

}  // namespace
}  // namespace trelvin2

// Catching the loader after a reset and unlocking it: attempts, the 30-second limit, what is
// discarded, the security code's timing and every way the step ends.
#include "loader/connect_step.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/status_line.h"
#include "build_constants.h"
#include "tests/unit/main_window_bench.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr std::uint64_t kMs = 1000;  // virtual microseconds per millisecond
const std::string kErrorTitle = std::string(25, ' ') + "E  R  R  O  R";

// What the device sends back: to the n-th connect command (1-based), and to the security code.
struct Answer {
  int attempt;  // 0: before the step begins (noise from the device's reset)
  std::uint64_t delay_us;
  std::string bytes;
};

// The program with its main window on the virtual clock, and a device that answers by script.
struct ConnectBench : MainWindowBench {
  explicit ConnectBench(std::uint32_t tick_at_start = 0) : MainWindowBench(tick_at_start) {
    link.on_write = [this](ScriptedLink& l, std::span<const std::uint8_t> bytes) {
      if (bytes.size() == 1 && bytes[0] == 'D' && code_bytes_seen < 0) {
        ++attempts;
        attempt_times_us.push_back(clock.NowUs());
        for (const Answer& a : answers) {
          if (a.attempt == attempts) l.ArriveInUs(a.delay_us, a.bytes);
        }
        if (answer_every_attempt_from > 0 && attempts >= answer_every_attempt_from) {
          l.ArriveInUs(50 * kMs, connect_reply);
        }
        return;
      }
      if (attempts > 0 && code_bytes_seen < 0) code_bytes_seen = 0;
      if (code_bytes_seen >= 0 && ++code_bytes_seen == 3) {
        l.ArriveInUs(security_delay_us, security_reply);
      }
    };
  }

  // What was written besides the connect commands: the security code.
  std::vector<ScriptedLink::WrittenByte> CodeBytes() const {
    std::vector<ScriptedLink::WrittenByte> code;
    for (const auto& w : link.written) {
      if (w.value != 'D') code.push_back(w);
    }
    return code;
  }

  std::vector<Answer> answers;
  int answer_every_attempt_from = 0;  // 0: only the scripted answers
  std::string connect_reply = "LD=SB";
  std::string security_reply = "L!";
  std::uint64_t security_delay_us = 5 * kMs;

  int attempts = 0;
  std::vector<std::uint64_t> attempt_times_us;
  int code_bytes_seen = -1;  // -1 until the connect phase is over
};

TEST(ConnectStepTest, LoaderAnsweringTheFirstCommandIsUnlocked) {
  ConnectBench b;
  b.answer_every_attempt_from = 1;
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kConnected);

  EXPECT_EQ(b.Progress(), (std::vector<int>{4000, 3933, 0}));
  EXPECT_EQ(b.toolkit.status_texts,
            (std::vector<std::string>{"Sicherheits-Code wird übertragen", "Sicherheits-Code OK"}));
  EXPECT_TRUE(b.toolkit.message_boxes.empty());
  const auto code = b.CodeBytes();
  ASSERT_EQ(code.size(), 3u);
  EXPECT_EQ((std::vector<std::uint8_t>{code[0].value, code[1].value, code[2].value}),
            (std::vector<std::uint8_t>(kSecurityCode.begin(), kSecurityCode.end())));
  // the connect wait runs a little past a second, then the code bytes 2 ms and 12 ms apart
  EXPECT_GT(code[0].at_us, 1000 * kMs);
  EXPECT_LT(code[0].at_us, 1200 * kMs);
  EXPECT_GE(code[1].at_us - code[0].at_us, 2 * kMs);
  EXPECT_LT(code[1].at_us - code[0].at_us, 3 * kMs);
  EXPECT_GE(code[2].at_us - code[1].at_us, 12 * kMs);
  EXPECT_LT(code[2].at_us - code[1].at_us, 13 * kMs);
  EXPECT_EQ(b.clock.pauses_ms, (std::vector<int>{2, 2, 10, 2, 50}));
  EXPECT_EQ(b.toolkit.wait_limits.back(), 10);  // lets the window draw the code's status text
}

TEST(ConnectStepTest, LoaderThatNeverAnswersFailsAfterThirtySecondsWithAMessageBox) {
  ConnectBench b;
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kFailed);

  EXPECT_LE(b.attempts, 30);
  EXPECT_GE(b.attempts, 27);
  EXPECT_LT(b.attempt_times_us.back(), 30'000 * kMs);  // the limit is tested after an attempt
  EXPECT_GE(b.clock.NowUs(), 30'000 * kMs);
  // attempts about a second apart
  for (std::size_t i = 1; i < b.attempt_times_us.size(); ++i) {
    const std::uint64_t gap = b.attempt_times_us[i] - b.attempt_times_us[i - 1];
    EXPECT_GT(gap, 1000 * kMs);
    EXPECT_LE(gap, 1101 * kMs);
  }
  EXPECT_EQ(b.link.WrittenText(), std::string(static_cast<std::size_t>(b.attempts), 'D'));
  EXPECT_EQ(b.toolkit.status_texts, (std::vector<std::string>{"Der Loader amtwortet nicht"}));
  ASSERT_EQ(b.toolkit.message_boxes.size(), 1u);
  EXPECT_EQ(b.toolkit.message_boxes[0].first, kErrorTitle);
  EXPECT_EQ(b.toolkit.message_boxes[0].second,
            "Es konnte keine Verbindung zum Loader hergestellt werden!");
}

TEST(ConnectStepTest, ProgressCountsDownPerAttemptAndNeverBelow2000BeforeZero) {
  ConnectBench b;
  b.connect_reply = "LD=SB\r\n";  // a line end after the reply: six bytes, always discarded
  b.answer_every_attempt_from = 1;
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kFailed);

  const std::vector<int>& progress = b.Progress();
  ASSERT_EQ(progress.size(), static_cast<std::size_t>(b.attempts) + 2);
  EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 7),
            (std::vector<int>{4000, 3933, 3867, 3800, 3733, 3667, 3600}));
  EXPECT_TRUE(std::all_of(progress.begin(), progress.end() - 1, [](int v) { return v >= 2000; }));
  EXPECT_EQ(progress.back(), 0);
  EXPECT_LE(b.attempts, 30);
  EXPECT_EQ(b.link.Queued(), 0);  // every reply was read and discarded
  EXPECT_EQ(b.toolkit.message_boxes.size(), 1u);
}

struct ConnectCase {
  const char* name;
  std::vector<Answer> answers;
  bool connected;
  int attempts;  // 0: until the limit
};
void PrintTo(const ConnectCase& c, std::ostream* os) { *os << c.name; }

class ConnectReplyTable : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectReplyTable, RecognisesOnlyTheExactReplyCountedAtTheEndOfTheWait) {
  const ConnectCase& c = GetParam();
  ConnectBench b;
  for (const Answer& a : c.answers) {
    if (a.attempt == 0) b.link.ArriveAtUs(a.delay_us, a.bytes);
  }
  b.answers = c.answers;
  const ConnectOutcome outcome = ConnectStep(b.program);
  EXPECT_EQ(outcome, c.connected ? ConnectOutcome::kConnected : ConnectOutcome::kFailed);
  if (c.attempts > 0) {
    EXPECT_EQ(b.attempts, c.attempts);
  }
  EXPECT_EQ(b.toolkit.message_boxes.size(), c.connected ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ConnectReplyTable,
    ::testing::Values(
        ConnectCase{"LowerCase", {{1, 50 * kMs, "ld=sb"}, {2, 50 * kMs, "ld=sb"}}, false, 0},
        ConnectCase{"SplitWithinTheWait", {{1, 100 * kMs, "LD"}, {1, 900 * kMs, "=SB"}}, true, 1},
        // comes 1150 ms after the first command, inside the second attempt's wait: ten bytes
        // there, discarded; the third attempt connects
        ConnectCase{"LateReplyCountedWithTheNext",
                    {{1, 1150 * kMs, "LD=SB"}, {2, 50 * kMs, "LD=SB"}, {3, 50 * kMs, "LD=SB"}},
                    true,
                    3},
        ConnectCase{"ResetNoiseDiscarded",
                    {{0, 0, std::string("\x00\xF8\x7F", 3)},
                     {1, 50 * kMs, "LD=SB"},
                     {2, 50 * kMs, "LD=SB"}},
                    true,
                    2},
        ConnectCase{"ShortReplyDiscarded", {{1, 50 * kMs, "LD="}, {2, 50 * kMs, "LD=SB"}}, true, 2},
        ConnectCase{"RightLengthWrongBytesRetried",
                    {{1, 50 * kMs, "LD-SB"}, {2, 50 * kMs, "LD=SB"}},
                    true,
                    2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectStepTest, CloseRequestInTheConnectWaitEndsAtOnceWithNothingMoreSent) {
  ConnectBench b;
  b.toolkit.CloseAt(1500, kMainWindow);  // during the second attempt's wait
  b.answers = {{2, 50 * kMs, "LD=SB"}};
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kCloseRequested);
  EXPECT_EQ(b.link.WrittenText(), "DD");
  EXPECT_EQ(b.Progress(), (std::vector<int>{4000, 3933}));
  EXPECT_TRUE(b.toolkit.message_boxes.empty());
  EXPECT_TRUE(b.toolkit.status_texts.empty());
}

TEST(ConnectStepTest, CloseRequestWhileTheCodeStatusIsDrawnIsConsumed) {
  ConnectBench b;
  b.answer_every_attempt_from = 1;
  b.toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.Text(kStatusLine) == "Sicherheits-Code wird übertragen") {
      tk.CloseAt(b.clock.NowUs() / kMs, kMainWindow);
      tk.on_wait = nullptr;
    }
  };
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kConnected);
  EXPECT_EQ(b.CodeBytes().size(), 3u);
}

struct SecurityCase {
  const char* name;
  std::string reply;
  std::uint64_t delay_after_last_code_byte_us;
  const char* status;
  int left_queued;
};
void PrintTo(const SecurityCase& c, std::ostream* os) { *os << c.name; }

class SecurityReplyTable : public ::testing::TestWithParam<SecurityCase> {};

TEST_P(SecurityReplyTable, OnlyTheExactReplyInTimeUnlocks) {
  const SecurityCase& c = GetParam();
  ConnectBench b;
  b.answer_every_attempt_from = 1;
  b.security_reply = c.reply;
  b.security_delay_us = c.delay_after_last_code_byte_us;
  const bool accepted = c.reply == "L!" && c.delay_after_last_code_byte_us < 50 * kMs;
  EXPECT_EQ(ConnectStep(b.program),
            accepted ? ConnectOutcome::kConnected : ConnectOutcome::kFailed);
  EXPECT_EQ(b.toolkit.status_texts.back(), c.status);
  EXPECT_EQ(b.link.Queued(), c.left_queued);
  EXPECT_TRUE(b.toolkit.message_boxes.empty());
  EXPECT_EQ(b.toolkit.FindControl(kStatusLine)->text_colour, std::nullopt);  // never red
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SecurityReplyTable,
    ::testing::Values(
        SecurityCase{"Accepted", "L!", 5 * kMs, "Sicherheits-Code OK", 0},
        SecurityCase{"AcceptedLateInTheWindow", "L!", 45 * kMs, "Sicherheits-Code OK", 0},
        SecurityCase{"WrongBytes", "l!", 5 * kMs, "Der Sicherheits-Code wurde nicht akzeptiert", 0},
        SecurityCase{"Missing", "", 5 * kMs, "Der Loader amtwortet nicht", 0},
        SecurityCase{"TooLate", "L!", 60 * kMs, "Der Loader amtwortet nicht", 2},
        SecurityCase{"LongerStaysQueued", "L!x", 5 * kMs,
                     "Der Sicherheits-Code wurde nicht akzeptiert", 3},
        SecurityCase{"ShorterStaysQueued", "L", 5 * kMs,
                     "Der Sicherheits-Code wurde nicht akzeptiert", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectStepTest, TickWrapDisturbsNeitherTheAttemptWaitNorTheLimit) {
  {
    ConnectBench b(0xFFFFFFFFu - 500);  // the 32-bit tick wraps half a second into the step
    b.answer_every_attempt_from = 1;
    EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kConnected);
    EXPECT_EQ(b.Progress(), (std::vector<int>{4000, 3933, 0}));
    EXPECT_GT(b.CodeBytes()[0].at_us, 1000 * kMs);
    EXPECT_LT(b.CodeBytes()[0].at_us, 1200 * kMs);
  }
  {
    ConnectBench b(0xFFFFFFFFu - 15'000);  // wraps halfway through the 30 seconds
    EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kFailed);
    EXPECT_GE(b.clock.NowUs(), 30'000 * kMs);
    EXPECT_LT(b.clock.NowUs(), 31'200 * kMs);
  }
}

TEST(ConnectStepTest, LongerConnectCommandGoesOutWholeThenTheLetterD) {
  ConnectBench b;
  const std::string wake("\x1BUSB\x07\r", 6);
  b.program.profiles[kTrelvin2ProfileIndex].connect_command = wake;
  b.link.on_write = [&](ScriptedLink& l, std::span<const std::uint8_t> bytes) {
    if (bytes.size() == 1 && bytes[0] == 'D' && l.written.size() == wake.size() + 1) {
      l.ArriveInUs(50 * kMs, "LD=SB");
    }
    if (l.written.size() == wake.size() + 4) l.ArriveInUs(5 * kMs, "L!");
  };
  EXPECT_EQ(ConnectStep(b.program), ConnectOutcome::kConnected);
  ASSERT_GE(b.link.writes.size(), 2u);
  EXPECT_EQ(b.link.writes[0], std::vector<std::uint8_t>(wake.begin(), wake.end()));
  EXPECT_EQ(b.link.writes[1], std::vector<std::uint8_t>{'D'});
  // one event wait of 100 ms and a pause of 100 ms before the "D", 100 ms more after it
  EXPECT_GE(b.link.written[wake.size()].at_us, 200 * kMs);
  EXPECT_LT(b.link.written[wake.size()].at_us, 201 * kMs);
  EXPECT_EQ(b.toolkit.wait_limits.front(), 100);
  EXPECT_EQ(std::vector<int>(b.clock.pauses_ms.begin(), b.clock.pauses_ms.begin() + 2),
            (std::vector<int>{100, 100}));
  // the attempt's second counts from before the first write
  const auto code_start = b.link.written[wake.size() + 1].at_us;
  EXPECT_GT(code_start, 1000 * kMs);
  EXPECT_LT(code_start, 1200 * kMs);
}

}  // namespace
}  // namespace trelvin2

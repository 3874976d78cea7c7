#include "loader/connect_step.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "app/status_line.h"
#include "build_constants.h"
#include "loader/loader_link.h"
#include "loader/progress_bar.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The operator has half a minute to reset the device; the loader listens for a connect
// command only for a short while after its reset, so the command goes out about once a second.
constexpr std::int32_t kConnectLimitMs = 30000;
constexpr std::int32_t kAttemptMs = 1000;
// Short enough that a close of the window ends the program without a noticeable delay.
constexpr int kConnectEventWaitMs = 100;
// A multi-byte wake-up sequence needs its device to settle before and after the "D".
constexpr int kWakeSettleMs = 100;
constexpr char kLoaderCommand = 'D';
// Lets the window draw the security-code status before the thread blocks in the pauses below.
constexpr int kDrawStatusWaitMs = 10;
// The loader wants the code bytes 2 ms apart, needs 10 ms more before the last one, and has
// answered within 50 ms after it.
constexpr int kCodeByteGapMs = 2;
constexpr int kBeforeLastCodeByteMs = 10;
constexpr int kSecurityAnswerMs = 50;

constexpr const char* kErrorTitle = "                         E  R  R  O  R";

enum class Attempt { kAnswered, kNotAnswered, kCloseRequested };

void SendConnectCommand(Program& program, const std::string& command) {
  if (command.size() == 1) {
    SendByte(program, static_cast<std::uint8_t>(command[0]));
    return;
  }
  program.link.SerialWrite(program.working_port,
                           reinterpret_cast<const std::uint8_t*>(command.data()),
                           static_cast<std::int32_t>(command.size()));
  program.toolkit.WaitEvent(kWakeSettleMs);
  program.clock.Pause(kWakeSettleMs);
  SendCommand(program, kLoaderCommand);
  program.clock.Pause(kWakeSettleMs);
}

// Drops what the device sent besides a reply of the expected length (noise from its reset, a
// line end after the reply), so the next attempt starts from an empty queue.
void DiscardWaitingBytes(Program& program, std::int32_t waiting) {
  for (std::int32_t i = 0; i < waiting; ++i) ReadReply(program, 1);
}

Attempt ConnectAttempt(Program& program) {
  const std::uint32_t attempt_start = program.clock.TickMs();
  SendConnectCommand(program, program.ActiveProfile().connect_command);
  do {
    if (program.toolkit.WaitEvent(kConnectEventWaitMs) == kCloseRequest) {
      return Attempt::kCloseRequested;
    }
  } while (TickDiff(program.clock.TickMs(), attempt_start) <= kAttemptMs);

  // The reply is counted only now, so one that came in pieces during the wait still counts.
  const std::string& expected = program.ActiveProfile().connect_reply;
  const std::int32_t waiting = program.link.SerialBytesWaiting(program.working_port);
  if (waiting == static_cast<std::int32_t>(expected.size())) {
    return ReadReply(program, waiting) == expected ? Attempt::kAnswered : Attempt::kNotAnswered;
  }
  DiscardWaitingBytes(program, waiting);
  return Attempt::kNotAnswered;
}

ConnectOutcome SendSecurityCode(Program& program) {
  ShowStatus(program, "Sicherheits-Code wird übertragen");
  program.toolkit.WaitEvent(kDrawStatusWaitMs);  // a close request here is consumed

  SendByte(program, kSecurityCode[0]);
  program.clock.Pause(kCodeByteGapMs);
  SendByte(program, kSecurityCode[1]);
  program.clock.Pause(kCodeByteGapMs);
  program.clock.Pause(kBeforeLastCodeByteMs);
  SendByte(program, kSecurityCode[2]);
  program.clock.Pause(kCodeByteGapMs);
  program.clock.Pause(kSecurityAnswerMs);

  // Counted once, without a further wait; bytes of another count stay queued.
  const std::string& expected = program.ActiveProfile().security_reply;
  const std::int32_t waiting = program.link.SerialBytesWaiting(program.working_port);
  if (waiting == 0) {
    program.last_update.outcome = UpdateOutcome::kCodeRefused;
    ShowStatus(program, "Der Loader amtwortet nicht");
    return ConnectOutcome::kFailed;
  }
  if (waiting == static_cast<std::int32_t>(expected.size()) &&
      ReadReply(program, waiting) == expected) {
    ShowStatus(program, "Sicherheits-Code OK");
    return ConnectOutcome::kConnected;
  }
  program.last_update.outcome = UpdateOutcome::kCodeRefused;
  ShowStatus(program, "Der Sicherheits-Code wurde nicht akzeptiert");
  return ConnectOutcome::kFailed;
}

}  // namespace

ConnectOutcome ConnectStep(Program& program) {
  const std::uint32_t step_start = program.clock.TickMs();
  float progress = kProgressMaximum;
  ShowProgress(program, kProgressMaximum);

  Attempt attempt = Attempt::kNotAnswered;
  do {
    attempt = ConnectAttempt(program);
    if (attempt == Attempt::kCloseRequested) return ConnectOutcome::kCloseRequested;
    progress -= kConnectProgressDecrement;
    ShowProgress(program, static_cast<int>(std::lround(progress)));
  } while (attempt != Attempt::kAnswered &&
           TickDiff(program.clock.TickMs(), step_start) < kConnectLimitMs);
  ShowProgress(program, 0);

  if (attempt != Attempt::kAnswered) {
    program.last_update.outcome = UpdateOutcome::kNoLoader;
    ShowStatus(program, "Der Loader amtwortet nicht");
    program.toolkit.ShowMessageBox(kErrorTitle,
                                   "Es konnte keine Verbindung zum Loader hergestellt werden!");
    return ConnectOutcome::kFailed;
  }
  return SendSecurityCode(program);
}

}  // namespace trelvin2

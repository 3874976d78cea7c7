#include "app/update_sequence.h"

#include <cstdint>

#include "app/status_line.h"
#include "loader/connect_step.h"
#include "loader/erase_step.h"
#include "loader/loader_link.h"
#include "loader/program_step.h"
#include "loader/progress_bar.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The configuration row's first block and its last 8-byte block.
constexpr std::int16_t kRecordStart = 0x1D40;
constexpr std::int16_t kRecordEnd = 0x1D78;
// Tells the loader to start the device's firmware; it answers nothing.
constexpr std::uint8_t kStartByte = 'S';

// The success message stays ms long. The device is done by then, so a close request (a signal,
// the close box) ends the wait at once instead of being held back for 3 s. Other input is
// dropped: the start button, the only control that acts, is disabled.
void ShowSuccessFor(Program& program, int ms) {
  const std::uint32_t start = program.clock.TickMs();
  for (;;) {
    const std::int32_t left = ms - TickDiff(program.clock.TickMs(), start);
    if (left <= 0 || program.toolkit.WaitEvent(left) == kCloseRequest) return;
  }
}

}  // namespace

void UpdateSequence(Program& program) {
  program.last_update = UpdateRecord{};
  program.toolkit.DisableControl(kStartButton, 1);
  program.last_update.prompt_tick = program.clock.TickMs();
  ShowStatus(program, "Reset oder Neustart am Trelvin 2 durchführen");

  switch (ConnectStep(program)) {
    case ConnectOutcome::kConnected:
      break;
    case ConnectOutcome::kFailed:
      return;  // the step has shown its own message and recorded why
    case ConnectOutcome::kCloseRequested:
      program.last_update.outcome = UpdateOutcome::kInterrupted;
      program.last_event_code = kCloseRequest;
      return;
  }

  ShowStatus(program, "Lösche Modem");
  program.image_cursor.Rewind();
  if (EraseStep(program) == 0) {
    program.last_update.outcome = UpdateOutcome::kEraseRefused;
    ReportError(program, "Fehler beim Löschen der Schnittstellen Daten");
    return;
  }
  if (ProgramStep(program, kRecordStart, kRecordEnd) == 0) {
    program.last_update.outcome = UpdateOutcome::kProgramRefused;
    ReportError(program, "Fehler beim Update der Schnittstelle");
    return;
  }

  ShowProgress(program, kProgressMaximum);
  program.last_update.start_byte_tick = program.clock.TickMs();
  SendByte(program, kStartByte);
  program.last_update.outcome = UpdateOutcome::kSucceeded;
  ShowStatus(program, "Update der Schnittstelle erfogreich beendet");
  ShowSuccessFor(program, program.success_shown_ms);
  program.last_event_code = kCloseRequest;
}

}  // namespace trelvin2

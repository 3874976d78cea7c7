#include "loader/erase_step.h"

#include "app/status_line.h"
#include "loader/loader_link.h"
#include "loader/progress_bar.h"

namespace trelvin2 {

int EraseStep(Program& program) {
  ShowProgress(program, 0);
  int result = 1;
  SendCommand(program, 'A');
  SendAddress(program, kEraseAddress);
  if (!ExpectAck(program, 'A')) {
    result = 0;
    ReportError(program, "Fehler beim Übermitteln der Adresse");
  } else {
    SendCommand(program, 'C');
    if (!ExpectAck(program, 'C')) {
      result = 0;
      ReportError(program, "Fehler beim Löschen des Modems");
    }
  }
  ShowProgress(program, kEraseDoneProgress);  // whatever the outcome
  return result;
}

}  // namespace trelvin2

#include "ui/console/win32/console_ctrl_events.h"

#include <windows.h>

namespace trelvin2 {
namespace {

// Manual reset: once signalled it stays so, and every later wait sees the request at once.
HANDLE request_event = nullptr;

BOOL WINAPI NoteCtrl(DWORD kind) {
  switch (kind) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      SetEvent(request_event);
      // The handler runs on a thread of its own; for a close, Windows ends the process once the
      // handler returns, so it waits a moment for the main thread to end the update cleanly.
      if (kind == CTRL_CLOSE_EVENT) Sleep(2000);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

ConsoleCtrlEvents::ConsoleCtrlEvents() {
  if (request_event == nullptr) request_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (request_event != nullptr) SetConsoleCtrlHandler(NoteCtrl, TRUE);
}

ConsoleCtrlEvents::~ConsoleCtrlEvents() { SetConsoleCtrlHandler(NoteCtrl, FALSE); }

ConsoleEvents::Request ConsoleCtrlEvents::Wait(int limit_ms) {
  if (request_event == nullptr) return Request::kNone;
  const DWORD limit = limit_ms < 0 ? INFINITE : static_cast<DWORD>(limit_ms);
  return WaitForSingleObject(request_event, limit) == WAIT_OBJECT_0 ? Request::kInterrupt
                                                                    : Request::kNone;
}

}  // namespace trelvin2

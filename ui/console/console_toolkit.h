// The Toolkit seam on a text console, for the command-line program: there are no windows, only the
// main window's status line, progress bar and message box, which are what an update touches.
//
//   status line   every new text as a line of its own;
//   progress bar  on a terminal a bar redrawn in place on its own line; otherwise a plain line
//                 whenever the whole percentage changes;
//   message box   its text as a line on the error stream (the program does not wait for an OK);
//   WaitEvent     a close request when Ctrl-C (or the platform's equivalent) has come or the
//                 input has ended, else nothing after the limit.
// Window, font and image operations succeed and do nothing, as far as an update is concerned.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "ui/console/console_events.h"
#include "ui/toolkit.h"

namespace trelvin2 {

class ConsoleToolkit : public Toolkit {
 public:
  // Status lines and progress go to out; message boxes to err. out_is_terminal chooses the bar.
  ConsoleToolkit(ConsoleEvents& events, std::ostream& out, std::ostream& err, bool out_is_terminal);

  // Writes a line of the program's own on out, clearing a bar first so the two do not mix.
  void PrintLine(std::string_view text);
  // Ends the bar's line, so that what follows starts on a line of its own.
  void FinishBar();

  int OpenWindow(int number, int x, int y, int width, int height, std::string_view title,
                 std::uint32_t flags) override;
  void CloseWindow(int) override {}
  void ActivateWindow(int) override {}
  int ForegroundWindowNumber() override { return -1; }
  int WaitEvent(int limit_ms) override;
  int EventWindow() override { return -1; }
  int EventControl() override { return -1; }
  int CreateTextField(int, int, int, int, int, std::string_view, std::uint32_t) override {
    return 1;
  }
  int CreateButton(int, int, int, int, int, std::string_view) override { return 1; }
  int CreateComboBox(int, int, int, int, int) override { return 1; }
  int CreateProgressBar(int, int, int, int, int, int, int, std::uint32_t) override { return 1; }
  int CreateImageField(int, int, int, int, int, int) override { return 1; }
  void SetControlText(int number, std::string_view text) override;
  void SetControlFont(int, int) override {}
  void DisableControl(int, int) override {}
  void SetControlState(int number, int value) override;
  void SetControlColour(int, int, std::uint32_t) override {}
  void AddControlItem(int, int, std::string_view) override {}
  void SetControlItemHint(int, int, std::string_view) override {}
  std::string GetControlText(int number) override;
  int GetControlState(int number) override;
  void ShowMessageBox(std::string_view title, std::string_view text) override;
  int LoadFont(int, std::string_view, int, std::uint32_t) override { return 1; }
  int FontHandle(int) override { return 1; }
  int ImageFromMemory(int, const std::uint8_t*, std::size_t) override { return 1; }
  void ReleaseAll() override { FinishBar(); }

 private:
  void DrawBar();
  void ClearBar();

  ConsoleEvents& events_;
  std::ostream& out_;
  std::ostream& err_;
  bool terminal_;
  std::string status_;
  int progress_ = 0;
  int shown_percent_ = -1;  // the percentage last printed; -1 when none since the last status
  bool bar_drawn_ = false;  // the cursor stands at the end of a drawn bar
};

}  // namespace trelvin2

#include "ui/console/console_toolkit.h"

#include "ui/windows.h"

namespace trelvin2 {
namespace {

// Wide enough to show every step of the bar's 0 to 4000 that an update makes, narrow enough
// for an 80-column terminal with the percentage beside it.
constexpr int kBarWidth = 50;

int Percent(int value) {
  if (value <= 0) return 0;
  if (value >= kProgressMaximum) return 100;
  return value * 100 / kProgressMaximum;
}

}  // namespace

ConsoleToolkit::ConsoleToolkit(ConsoleEvents& events, std::ostream& out, std::ostream& err,
                               bool out_is_terminal)
    : events_(events), out_(out), err_(err), terminal_(out_is_terminal) {}

void ConsoleToolkit::PrintLine(std::string_view text) {
  ClearBar();
  out_ << text << '\n' << std::flush;
}

void ConsoleToolkit::FinishBar() {
  if (!bar_drawn_) return;
  out_ << '\n' << std::flush;
  bar_drawn_ = false;
}

int ConsoleToolkit::OpenWindow(int, int, int, int, int, std::string_view, std::uint32_t) {
  return 1;
}

int ConsoleToolkit::WaitEvent(int limit_ms) {
  return events_.Wait(limit_ms) != ConsoleEvents::Request::kNone ? kCloseRequest : kNoEvent;
}

void ConsoleToolkit::SetControlText(int number, std::string_view text) {
  if (number != kStatusLine || text == status_) return;  // the same text leaves the line as it is
  status_ = text;
  const bool redraw = bar_drawn_;
  PrintLine(text);
  shown_percent_ = -1;
  if (redraw) DrawBar();
}

void ConsoleToolkit::SetControlState(int number, int value) {
  if (number != kProgressBar) return;
  progress_ = value;
  const int percent = Percent(value);
  if (terminal_) {
    DrawBar();
  } else if (percent != shown_percent_) {
    out_ << "Fortschritt: " << percent << " %\n" << std::flush;
  }
  shown_percent_ = percent;
}

std::string ConsoleToolkit::GetControlText(int number) {
  return number == kStatusLine ? status_ : std::string();
}

int ConsoleToolkit::GetControlState(int number) { return number == kProgressBar ? progress_ : 0; }

void ConsoleToolkit::ShowMessageBox(std::string_view, std::string_view text) {
  ClearBar();
  out_ << std::flush;
  err_ << text << '\n' << std::flush;
}

void ConsoleToolkit::DrawBar() {
  const int percent = Percent(progress_);
  const int filled = percent * kBarWidth / 100;
  out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] ";
  if (percent < 100) out_ << ' ';
  if (percent < 10) out_ << ' ';
  out_ << percent << " %" << std::flush;
  bar_drawn_ = true;
}

void ConsoleToolkit::ClearBar() {
  if (!bar_drawn_) return;
  out_ << "\r\033[K";  // back to the line's start, erase to its end
  bar_drawn_ = false;
}

}  // namespace trelvin2

#include "tests/support/memory_toolkit.h"

#include <algorithm>
#include <cstring>

namespace trelvin2 {
namespace {

constexpr int kStatusLine = 4;

}  // namespace

void MemoryToolkit::Queue(std::uint64_t at_ms, InputKind kind, int target, int index) {
  const Input input{at_ms * 1000, kind, target, index};
  const auto pos =
      std::upper_bound(inputs_.begin(), inputs_.end(), input,
                       [](const Input& a, const Input& b) { return a.at_us < b.at_us; });
  inputs_.insert(pos, input);
}

void MemoryToolkit::ClickAt(std::uint64_t at_ms, int control) {
  Queue(at_ms, InputKind::kClick, control);
}
void MemoryToolkit::SelectAt(std::uint64_t at_ms, int control, int index) {
  Queue(at_ms, InputKind::kSelect, control, index);
}
void MemoryToolkit::CloseAt(std::uint64_t at_ms, int window) {
  Queue(at_ms, InputKind::kClose, window);
}
void MemoryToolkit::FocusAt(std::uint64_t at_ms, int window) {
  Queue(at_ms, InputKind::kFocus, window);
}

const MemoryToolkit::Control* MemoryToolkit::FindControl(int number) const {
  const auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : &it->second;
}

const MemoryToolkit::Window* MemoryToolkit::FindWindow(int number) const {
  const auto it = windows_.find(number);
  return it == windows_.end() ? nullptr : &it->second;
}

const MemoryToolkit::Font* MemoryToolkit::FindFont(int number) const {
  const auto it = fonts_.find(number);
  return it == fonts_.end() ? nullptr : &it->second;
}

MemoryToolkit::Control* MemoryToolkit::Mutable(int number) {
  const auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : &it->second;
}

std::string MemoryToolkit::Text(int number) const {
  const Control* c = FindControl(number);
  if (c == nullptr) return {};
  if (c->kind == Kind::kComboBox) {
    if (c->state < 0 || c->state >= static_cast<int>(c->items.size())) return {};
    return c->items[static_cast<std::size_t>(c->state)];
  }
  return c->text;
}

int MemoryToolkit::OpenWindow(int number, int x, int y, int width, int height,
                              std::string_view title, std::uint32_t flags) {
  Window w{number, x, y, width, height, std::string(title), flags, -1};
  if ((flags & kWindowCentred) != 0) {
    if (const Window* over = FindWindow(foreground_)) {
      w.x = over->x + (over->width - width) / 2;
      w.y = over->y + (over->height - height) / 2;
      w.centred_over = over->number;
    }
  }
  windows_[number] = w;
  windows_opened.push_back(number);
  last_opened_ = number;
  foreground_ = number;
  return 1;
}

void MemoryToolkit::CloseWindow(int number) {
  if (windows_.erase(number) == 0) return;
  std::erase_if(controls_, [number](const auto& entry) { return entry.second.window == number; });
  if (last_opened_ == number) last_opened_ = windows_.empty() ? -1 : windows_.rbegin()->first;
  if (foreground_ == number) foreground_ = last_opened_;
}

void MemoryToolkit::ActivateWindow(int number) {
  if (windows_.count(number) != 0) foreground_ = number;
}

std::optional<int> MemoryToolkit::Deliver(const Input& input) {
  switch (input.kind) {
    case InputKind::kClick:
    case InputKind::kSelect: {
      Control* c = Mutable(input.target);
      if (c == nullptr || c->disabled) return std::nullopt;
      if (input.kind == InputKind::kSelect) {
        if (c->kind != Kind::kComboBox || input.index < 0 ||
            input.index >= static_cast<int>(c->items.size())) {
          return std::nullopt;
        }
        c->state = input.index;
      } else if (c->kind != Kind::kButton) {
        return std::nullopt;
      }
      event_window_ = c->window;
      event_control_ = c->number;
      return kControlActivity;
    }
    case InputKind::kClose:
      if (windows_.count(input.target) == 0) return std::nullopt;
      event_window_ = input.target;
      event_control_ = -1;
      return kCloseRequest;
    case InputKind::kFocus:
      if (windows_.count(input.target) == 0) return std::nullopt;
      foreground_ = input.target;
      event_window_ = input.target;
      event_control_ = -1;
      return kNoEvent;
  }
  return std::nullopt;
}

int MemoryToolkit::WaitEvent(int limit_ms) {
  wait_limits.push_back(limit_ms);
  if (on_wait) on_wait(*this);
  const std::uint64_t start = clock_.NowUs();
  const bool unlimited = limit_ms < 0;
  const std::uint64_t deadline = unlimited ? UINT64_MAX : start + std::uint64_t(limit_ms) * 1000;
  while (!inputs_.empty() && inputs_.front().at_us <= deadline) {
    const Input input = inputs_.front();
    inputs_.erase(inputs_.begin());
    clock_.AdvanceToUs(input.at_us);
    if (const auto code = Deliver(input)) {
      events.emplace_back(*code, event_control_);
      return *code;
    }
  }
  if (unlimited) {
    script_ran_dry = true;
    event_window_ = -1;
    event_control_ = -1;
    return kCloseRequest;
  }
  // As in the real toolkit, EventWindow and EventControl still name the last event's source.
  clock_.AdvanceToUs(deadline);
  return kNoEvent;
}

int MemoryToolkit::Create(Control control) {
  if (windows_.count(last_opened_) == 0) return 0;
  control.window = last_opened_;
  controls_[control.number] = std::move(control);
  controls_created.push_back(control.number);
  return 1;
}

int MemoryToolkit::CreateTextField(int number, int x, int y, int width, int height,
                                   std::string_view text, std::uint32_t flags) {
  Control c;
  c.number = number;
  c.kind = Kind::kText;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.text = std::string(text);
  c.flags = flags;
  return Create(std::move(c));
}

int MemoryToolkit::CreateButton(int number, int x, int y, int width, int height,
                                std::string_view caption) {
  Control c;
  c.number = number;
  c.kind = Kind::kButton;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.text = std::string(caption);
  return Create(std::move(c));
}

int MemoryToolkit::CreateComboBox(int number, int x, int y, int width, int height) {
  Control c;
  c.number = number;
  c.kind = Kind::kComboBox;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.state = -1;
  return Create(std::move(c));
}

int MemoryToolkit::CreateProgressBar(int number, int x, int y, int width, int height, int minimum,
                                     int maximum, std::uint32_t flags) {
  Control c;
  c.number = number;
  c.kind = Kind::kProgressBar;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.minimum = minimum, c.maximum = maximum;
  c.state = minimum;
  c.flags = flags;
  return Create(std::move(c));
}

int MemoryToolkit::CreateImageField(int number, int x, int y, int width, int height, int image) {
  Control c;
  c.number = number;
  c.kind = Kind::kImage;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.image = image;
  return Create(std::move(c));
}

void MemoryToolkit::SetControlText(int number, std::string_view text) {
  Control* c = Mutable(number);
  if (c == nullptr) return;
  c->text = std::string(text);
  if (number == kStatusLine) status_texts.emplace_back(text);
}

void MemoryToolkit::SetControlFont(int number, int font_handle) {
  if (Control* c = Mutable(number)) c->font = font_handle;
}

void MemoryToolkit::DisableControl(int number, int disabled) {
  if (Control* c = Mutable(number)) c->disabled = disabled != 0;
}

void MemoryToolkit::SetControlState(int number, int value) {
  Control* c = Mutable(number);
  if (c == nullptr) return;
  if (c->kind == Kind::kComboBox) {
    c->state = (value >= 0 && value < static_cast<int>(c->items.size())) ? value : -1;
  } else {
    c->state = std::clamp(value, c->minimum, c->maximum);
  }
  c->state_history.push_back(value);
}

void MemoryToolkit::SetControlColour(int number, int which, std::uint32_t colour) {
  Control* c = Mutable(number);
  if (c == nullptr) return;
  if (which == kColourText) c->text_colour = colour;
  if (which == kColourBackground) c->background_colour = colour;
}

void MemoryToolkit::AddControlItem(int number, int position, std::string_view text) {
  Control* c = Mutable(number);
  if (c == nullptr || c->kind != Kind::kComboBox) return;
  const auto size = static_cast<int>(c->items.size());
  const int at = (position < 0 || position > size) ? size : position;
  c->items.insert(c->items.begin() + at, std::string(text));
  c->hints.insert(c->hints.begin() + at, std::string());
}

void MemoryToolkit::SetControlItemHint(int number, int index, std::string_view hint) {
  Control* c = Mutable(number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->hints.size())) return;
  c->hints[static_cast<std::size_t>(index)] = std::string(hint);
}

int MemoryToolkit::GetControlState(int number) {
  const Control* c = FindControl(number);
  return c == nullptr ? 0 : c->state;
}

void MemoryToolkit::ShowMessageBox(std::string_view title, std::string_view text) {
  message_boxes.emplace_back(std::string(title), std::string(text));
}

int MemoryToolkit::LoadFont(int number, std::string_view face, int points, std::uint32_t flags) {
  const int handle = 1000 + number;  // never 0, which means "the default font"
  fonts_[number] = Font{number, std::string(face), points, (flags & kFontBold) != 0, handle};
  return handle;
}

int MemoryToolkit::FontHandle(int number) {
  const Font* f = FindFont(number);
  return f == nullptr ? 0 : f->handle;
}

int MemoryToolkit::ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) {
  // Only what a 24-bit BMP must have: the signature and its bit depth.
  if (data == nullptr || size < 54 || data[0] != 'B' || data[1] != 'M' || data[28] != 24) return 0;
  images_[number] = 1;
  return 2000 + number;
}

void MemoryToolkit::ReleaseAll() {
  windows_.clear();
  controls_.clear();
  fonts_.clear();
  images_.clear();
  event_window_ = -1;
  event_control_ = -1;
  released = true;
}

}  // namespace trelvin2

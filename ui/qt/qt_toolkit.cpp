#include "ui/qt/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "ui/qt/bmp_check.h"
#include "ui/qt/drop_down_list.h"
#include "ui/qt/qt_colour.h"
#include "ui/qt/window_placement.h"

namespace trelvin2 {
namespace {

constexpr int kDefaultGuiFontPoints = 8;

}  // namespace

namespace {

constexpr std::uint32_t kSizingBorder = kWindowSizable & ~kWindowFixed;
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowQtMessageBox(QWidget* parent, std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, Utf8(title), Utf8(text), QMessageBox::Ok, parent);
  box.exec();
}

// Draws the widget now: the thread may be busy with the device for seconds before it next
// services the window.
void DrawNow(QWidget* widget) {
  if (widget->isVisible()) widget->repaint();
}

}  // namespace

QtToolkit::QtToolkit() {
  // The windows were laid out for the small dialog font of Windows desktops (8 pt, 11 px at
  // 96 dpi). Linux desktops default to 10 pt or more, which cuts off the settings window's hint:
  // the controls without a font of their own get the same metric size here.
  QApplication::setFont(QFont(QStringLiteral("Arial"), kDefaultGuiFontPoints));
}

QtToolkit::~QtToolkit() { ReleaseAll(); }

QWidget* QtToolkit::Window(int number) const {
  const auto it = windows_.find(number);
  return it == windows_.end() ? nullptr : it->second.get();
}

QWidget* QtToolkit::Control(int number) const {
  const auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second.widget.data();
}

QWidget* QtToolkit::ReferenceWindow() const {
  QWidget* active = QApplication::activeWindow();
  for (const auto& [number, window] : windows_) {
    if (window.get() == active) return active;
  }
  // Right after show() no window may be active yet on a bare X server.
  return opening_order_.empty() ? nullptr : Window(opening_order_.back());
}

int QtToolkit::OpenWindow(int number, int x, int y, int width, int height, std::string_view title,
                          std::uint32_t flags) {
  CloseWindow(number);
  auto window = std::make_unique<ToolkitWindow>(
      [this, number] {
        events_.Post({kCloseRequest, number, -1});
      },
      [this, number] { NoteActivation(number); });
  // Title bar and close box only: no minimise or maximise box.
  window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
  window->setWindowTitle(Utf8(title));
  if ((flags & kSizingBorder) != 0) {
    window->resize(width, height);
  } else {
    window->setFixedSize(width, height);
  }
  QPoint frame_corner(x, y);
  if ((flags & kWindowCentred) != 0) {
    if (QWidget* over = ReferenceWindow()) {
      // A window opened over another belongs to it (transient for it): the window manager
      // keeps it above that window, so a click into the main window cannot bury the port or
      // settings window behind it.
      window->winId();
      if (window->windowHandle() != nullptr && over->windowHandle() != nullptr) {
        window->windowHandle()->setTransientParent(over->windowHandle());
      }
      const QRect over_frame = over->frameGeometry();
      const QRect over_inner = over->geometry();
      const QMargins margins(
          over_inner.left() - over_frame.left(), over_inner.top() - over_frame.top(),
          over_frame.right() - over_inner.right(), over_frame.bottom() - over_inner.bottom());
      frame_corner = CentredFramePosition(over_frame, QSize(width, height), margins);
    }
  }
  window->move(frame_corner);  // move() places the frame, setGeometry() the inner area
  window->show();
  windows_[number] = std::move(window);
  opening_order_.push_back(number);
  WantInFront(number);
  return 1;
}

void QtToolkit::WantInFront(int number) {
  wanted_front_ = number;
  const QWidget* window = Window(number);
  front_confirmed_ = window != nullptr && window->isActiveWindow();
}

void QtToolkit::NoteActivation(int number) {
  if (number == wanted_front_) {
    front_confirmed_ = true;
  } else if (front_confirmed_) {
    events_.Post({kWindowActivated, number, -1});
  }
}

void QtToolkit::CloseWindow(int number) {
  const auto it = windows_.find(number);
  if (it == windows_.end()) return;
  std::vector<int> gone;
  for (const auto& [control, entry] : controls_) {
    if (entry.window == number) gone.push_back(control);
  }
  for (int control : gone) controls_.erase(control);
  std::erase(opening_order_, number);
  events_.ForgetWindow(number);
  // Deleting, not close(): close() would come back as a close request.
  windows_.erase(it);
  if (wanted_front_ == number) WantInFront(opening_order_.empty() ? -1 : opening_order_.back());
}

void QtToolkit::ActivateWindow(int number) {
  QWidget* window = Window(number);
  if (window == nullptr) return;
  window->raise();
  window->activateWindow();
  WantInFront(number);
}

int QtToolkit::ForegroundWindowNumber() {
  const QWidget* active = QApplication::activeWindow();
  for (const auto& [number, window] : windows_) {
    if (window.get() == active) return number;
  }
  return -1;
}

void QtToolkit::WatchCloseRequests(int fd) {
  if (fd < 0) return;
  close_notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(close_notifier_.get(), &QSocketNotifier::activated, close_notifier_.get(),
                   [this] {
                     // The descriptor stays readable: one notice is all it takes.
                     close_notifier_->setEnabled(false);
                     asked_to_end_ = true;
                     if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
                     events_.Post({kCloseRequest, -1, -1});  // wakes a running wait
                   });
}

int QtToolkit::WaitEvent(int limit_ms) {
  if (!asked_to_end_) {
    const QueuedEvent event = events_.Wait(limit_ms);
    if (!asked_to_end_) {
      if (event.code == kNoEvent) return kNoEvent;
      last_event_ = event;
      return event.code;
    }
  }
  last_event_ = {kCloseRequest, -1, -1};
  return kCloseRequest;
}

ToolkitWindow* QtToolkit::CurrentWindow(int* number) {
  if (opening_order_.empty()) return nullptr;
  *number = opening_order_.back();
  return windows_.at(*number).get();
}

int QtToolkit::Adopt(int number, QWidget* widget, int window, int x, int y, int width, int height) {
  DestroyControl(number);
  widget->setGeometry(x, y, width, height);
  // Children added to a window already on screen stay hidden until shown.
  widget->show();
  controls_[number] = {widget, window};
  return 1;
}

void QtToolkit::DestroyControl(int number) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  delete it->second.widget.data();
  controls_.erase(it);
}

int QtToolkit::CreateTextField(int number, int x, int y, int width, int height,
                               std::string_view text, std::uint32_t flags) {
  int window = -1;
  ToolkitWindow* parent = CurrentWindow(&window);
  if (parent == nullptr) return 0;
  auto* label = new QLabel(Utf8(text), parent);
  label->setTextFormat(Qt::PlainText);
  // A static text of the platform wraps at word boundaries and starts at the top.
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignTop |
                      ((flags & kTextCentred) != 0 ? Qt::AlignHCenter : Qt::AlignLeft));
  if ((flags & kTextSunken) != 0) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Without it the background colour given later is not painted.
    label->setAutoFillBackground(true);
  }
  return Adopt(number, label, window, x, y, width, height);
}

int QtToolkit::CreateButton(int number, int x, int y, int width, int height,
                            std::string_view caption) {
  int window = -1;
  ToolkitWindow* parent = CurrentWindow(&window);
  if (parent == nullptr) return 0;
  auto* button = new QPushButton(Utf8(caption), parent);
  QObject::connect(button, &QPushButton::clicked, button, [this, window, number] {
    events_.Post({kControlActivity, window, number});
  });
  return Adopt(number, button, window, x, y, width, height);
}

int QtToolkit::CreateComboBox(int number, int x, int y, int width, int /*height*/) {
  int window = -1;
  ToolkitWindow* parent = CurrentWindow(&window);
  if (parent == nullptr) return 0;
  auto* combo = new DropDownList(parent);
  combo->setEditable(false);
  QObject::connect(combo, &QComboBox::activated, combo, [this, window, number] {
    events_.Post({kControlActivity, window, number});
  });
  // The height asked for is that of the open list; closed, the list shows one line at its
  // standard height and opens downwards.
  return Adopt(number, combo, window, x, y, width, combo->sizeHint().height());
}

int QtToolkit::CreateProgressBar(int number, int x, int y, int width, int height, int minimum,
                                 int maximum, std::uint32_t /*flags*/) {
  int window = -1;
  ToolkitWindow* parent = CurrentWindow(&window);
  if (parent == nullptr) return 0;
  auto* bar = new QProgressBar(parent);
  bar->setRange(minimum, maximum);
  bar->setValue(minimum);
  bar->setTextVisible(false);
  // Qt's bars always fill smoothly, as kProgressSmooth asks; no style here draws blocks.
  return Adopt(number, bar, window, x, y, width, height);
}

int QtToolkit::CreateImageField(int number, int x, int y, int width, int height, int image) {
  int window = -1;
  ToolkitWindow* parent = CurrentWindow(&window);
  if (parent == nullptr) return 0;
  auto* field = new QLabel(parent);
  const auto it = images_.find(image);
  if (it != images_.end()) field->setPixmap(QPixmap::fromImage(it->second));
  return Adopt(number, field, window, x, y, width, height);
}

void QtToolkit::SetControlText(int number, std::string_view text) {
  QWidget* widget = Control(number);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(Utf8(text));
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(Utf8(text));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setCurrentIndex(combo->findText(Utf8(text)));
  } else {
    return;
  }
  DrawNow(widget);
}

void QtToolkit::SetControlFont(int number, int font_handle) {
  QWidget* widget = Control(number);
  if (widget == nullptr) return;
  if (font_handle == 0) {
    widget->setFont(QFont());  // back to the default GUI font
  } else {
    const auto it = fonts_.find(font_handle);
    if (it == fonts_.end()) return;
    widget->setFont(it->second);
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->resize(combo->width(), combo->sizeHint().height());
  }
  DrawNow(widget);
}

void QtToolkit::DisableControl(int number, int disabled) {
  QWidget* widget = Control(number);
  if (widget == nullptr) return;
  widget->setEnabled(disabled == 0);
  DrawNow(widget);
}

void QtToolkit::SetControlState(int number, int value) {
  QWidget* widget = Control(number);
  if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
    // Qt ignores a value outside the range; the platform's bar stops at its ends.
    bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
    DrawNow(bar);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
    DrawNow(combo);
  }
}

void QtToolkit::SetControlColour(int number, int which, std::uint32_t colour) {
  QWidget* widget = Control(number);
  if (widget == nullptr) return;
  QPalette palette = widget->palette();
  if (which == kColourText) {
    palette.setColor(widget->foregroundRole(), ColourFromBgr(colour));
  } else if (which == kColourBackground) {
    palette.setColor(widget->backgroundRole(), ColourFromBgr(colour));
    widget->setAutoFillBackground(true);
  } else {
    return;
  }
  widget->setPalette(palette);
  DrawNow(widget);
}

void QtToolkit::AddControlItem(int number, int position, std::string_view text) {
  auto* combo = qobject_cast<QComboBox*>(Control(number));
  if (combo == nullptr) return;
  if (position < 0) {
    combo->addItem(Utf8(text));
  } else {
    combo->insertItem(position, Utf8(text));
  }
  // The platform's list selects nothing by itself; Qt would select the first item.
  if (combo->count() == 1) combo->setCurrentIndex(-1);
  DrawNow(combo);
}

void QtToolkit::SetControlItemHint(int number, int index, std::string_view hint) {
  auto* combo = qobject_cast<QComboBox*>(Control(number));
  if (combo == nullptr || index < 0 || index >= combo->count()) return;
  combo->setItemData(index, Utf8(hint), Qt::ToolTipRole);
}

std::string QtToolkit::GetControlText(int number) {
  QWidget* widget = Control(number);
  QString text;
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    text = label->text();
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    text = button->text();
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    text = combo->currentIndex() < 0 ? QString() : combo->currentText();
  }
  return text.toStdString();
}

int QtToolkit::GetControlState(int number) {
  QWidget* widget = Control(number);
  if (auto* bar = qobject_cast<QProgressBar*>(widget)) return bar->value();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentIndex();
  return 0;
}

void QtToolkit::ShowMessageBox(std::string_view title, std::string_view text) {
  if (message_box_) {
    message_box_(title, text);
  } else {
    ShowQtMessageBox(ReferenceWindow(), title, text);
  }
}

int QtToolkit::LoadFont(int number, std::string_view face, int points, std::uint32_t flags) {
  QFont font(Utf8(face), points, (flags & kFontBold) != 0 ? kBoldWeight : kNormalWeight);
  const auto old = font_numbers_.find(number);
  if (old != font_numbers_.end()) fonts_.erase(old->second);
  const int handle = next_handle_++;
  fonts_[handle] = font;
  font_numbers_[number] = handle;
  return handle;
}

int QtToolkit::FontHandle(int number) {
  const auto it = font_numbers_.find(number);
  return it == font_numbers_.end() ? 0 : it->second;
}

int QtToolkit::ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) {
  if (!IsWholeUncompressedBmp24(data, size)) return 0;
  QImage image;
  if (!image.loadFromData(data, static_cast<int>(size), "BMP")) return 0;
  const auto old = image_numbers_.find(number);
  if (old != image_numbers_.end()) images_.erase(old->second);
  const int handle = next_handle_++;
  images_[handle] = image;
  image_numbers_[number] = handle;
  return handle;
}

void QtToolkit::ReleaseAll() {
  controls_.clear();
  opening_order_.clear();
  windows_.clear();
  wanted_front_ = -1;
  front_confirmed_ = false;
  fonts_.clear();
  font_numbers_.clear();
  images_.clear();
  image_numbers_.clear();
  events_.Clear();
  last_event_ = {};
}

}  // namespace trelvin2

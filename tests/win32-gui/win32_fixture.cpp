#include "tests/win32-gui/win32_fixture.h"

#include "ui/win32/wide_text.h"

namespace trelvin2 {

ResolvedFont Resolve(HFONT font) {
  ResolvedFont resolved;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  resolved.face = Utf8(face);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  resolved.em_pixels = metrics.tmHeight - metrics.tmInternalLeading;
  resolved.weight = metrics.tmWeight;
  // The bit's name says the opposite of its meaning: set for a variable pitch.
  resolved.fixed_pitch = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
  SelectObject(dc, old);
  DeleteDC(dc);
  return resolved;
}

RECT PlaceInWindow(HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

SIZE InnerSize(HWND window) {
  RECT inner{};
  GetClientRect(window, &inner);
  return {inner.right - inner.left, inner.bottom - inner.top};
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return Utf8(name);
}

std::string TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return Utf8(text);
}

bool HasStyle(HWND hwnd, LONG style) { return (GetWindowLongW(hwnd, GWL_STYLE) & style) == style; }

std::vector<std::uint32_t> Pixels(HWND control) {
  RECT inner{};
  GetClientRect(control, &inner);
  const int width = inner.right;
  const int height = inner.bottom;
  HDC source = GetDC(control);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(first, first + static_cast<std::size_t>(width) * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(control, source);
  return pixels;
}

void Win32Test::Settle(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace trelvin2

// The core keeps its texts in UTF-8; the Win32 calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace trelvin2 {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace trelvin2

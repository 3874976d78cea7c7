// The main window's status line: every progress and failure message of an update goes here.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/program.h"

namespace trelvin2 {

inline constexpr std::uint32_t kStatusGrey = Rgb(207, 207, 207);
inline constexpr std::uint32_t kErrorRed = Rgb(255, 0, 0);

// Grey background, then the text; the text colour stays as it is.
void ShowStatus(Program& program, std::string_view text);

// Red text on grey, then the text. The red stays for every later text too.
void ReportError(Program& program, std::string_view text);

}  // namespace trelvin2

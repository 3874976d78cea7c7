// Writing the LinkConfigRecord into the erased row, 8 bytes at a time.
#pragma once

#include <cstdint>
#include <string>

#include "app/program.h"

namespace trelvin2 {

// The PIC18F1320 programs its flash in blocks of 8 bytes.
inline constexpr int kBlockBytes = 8;

// The progress bar's share of one block: the bar's range over the blocks from record_start to
// record_end, rounded in single precision, halves away from zero. 0 when that is no block.
std::int16_t ProgressStep(std::int16_t record_start, std::int16_t record_end);

// "Schreibe Datenlock von 1D40  bis  1D78": the 16-bit addresses in hexadecimal.
std::string ProgramStatusText(std::int16_t record_start, std::int16_t record_end);

// Two plain blocks of image bytes from record_start, then the SettingsBlock: the last divisor,
// the operator's BaudCode and ProtocolCode and four line feeds. 1 when every command was
// acknowledged, else 0 after its own message; nothing more is sent after a refused plain block.
int ProgramStep(Program& program, std::int16_t record_start, std::int16_t record_end);

}  // namespace trelvin2

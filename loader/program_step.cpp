#include "loader/program_step.h"

#include <array>
#include <cmath>

#include "app/status_line.h"
#include "loader/loader_link.h"
#include "loader/progress_bar.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

using Block = std::array<std::uint8_t, kBlockBytes>;

// Two plain blocks carry the first sixteen bytes of the divisor table.
constexpr int kPlainBlocks = 2;
// The device application's record ends with four line feeds after the two codes.
constexpr std::uint8_t kRecordFiller = 0x0A;

std::string Hex(std::int16_t value) {
  constexpr const char* kDigits = "0123456789ABCDEF";
  auto rest = static_cast<std::uint16_t>(value);
  std::string text;
  do {
    text.insert(text.begin(), kDigits[rest % 16]);
    rest /= 16;
  } while (rest != 0);
  return text;
}

// "B" with the data, "A" with the address, "W"; each only after the one before was
// acknowledged. A refusal is reported here, where it is known.
int WriteBlock(Program& program, std::int32_t address, const Block& data) {
  SendCommand(program, 'B');
  for (const std::uint8_t byte : data) SendByte(program, byte);
  if (!ExpectAck(program, 'B')) {
    ReportError(program, "Fehler beim Übertragen des Programms");
    return 0;
  }
  SendCommand(program, 'A');
  SendAddress(program, static_cast<std::uint32_t>(address));
  if (!ExpectAck(program, 'A')) {
    ReportError(program, "Fehler während der Adressübertragung");
    return 0;
  }
  SendCommand(program, 'W');
  if (!ExpectAck(program, 'W')) {
    ReportError(program, "Fehler beim Programmieren");
    return 0;
  }
  return 1;
}

Block NextImageBlock(Program& program) {
  Block block{};
  for (std::uint8_t& byte : block) byte = program.image_cursor.NextByte();
  return block;
}

Block SettingsBlock(Program& program) {
  const std::uint8_t divisor_high = program.image_cursor.NextByte();
  const std::uint8_t divisor_low = program.image_cursor.NextByte();
  return Block{divisor_high,
               divisor_low,
               program.settings.baud_code,
               program.settings.protocol_code,
               kRecordFiller,
               kRecordFiller,
               kRecordFiller,
               kRecordFiller};
}

}  // namespace

std::int16_t ProgressStep(std::int16_t record_start, std::int16_t record_end) {
  const float blocks =
      std::round(static_cast<float>(record_end - record_start) / static_cast<float>(kBlockBytes));
  if (blocks == 0.0f) return 0;
  return static_cast<std::int16_t>(std::round(static_cast<float>(kProgressMaximum) / blocks));
}

std::string ProgramStatusText(std::int16_t record_start, std::int16_t record_end) {
  return "Schreibe Datenlock von " + Hex(record_start) + "  bis  " + Hex(record_end);
}

int ProgramStep(Program& program, std::int16_t record_start, std::int16_t record_end) {
  ShowProgress(program, 0);
  std::int16_t progress = 0;
  const std::int16_t step = ProgressStep(record_start, record_end);
  ShowStatus(program, ProgramStatusText(record_start, record_end));
  program.image_cursor.Skip(record_start);

  std::int32_t address = record_start;
  for (int i = 0; i < kPlainBlocks; ++i) {
    // A refused plain block ends the step: a SettingsBlock after it would land where divisors
    // belong.
    if (WriteBlock(program, address, NextImageBlock(program)) == 0) return 0;
    progress = static_cast<std::int16_t>(progress + step);
    ShowProgress(program, progress);
    address += kBlockBytes;
  }

  const int result = WriteBlock(program, address, SettingsBlock(program));
  progress = static_cast<std::int16_t>(progress + step);  // refused or not
  ShowProgress(program, progress);
  return result;
}

}  // namespace trelvin2

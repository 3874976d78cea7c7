#include "serial/posix/line_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <utility>
#include <vector>

namespace trelvin2 {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t comma = text.find(',');
    fields.push_back(Trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) return fields;
    text.remove_prefix(comma + 1);
  }
}

std::optional<int> ParseDecimal(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<Parity> ParseParity(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  switch (std::tolower(static_cast<unsigned char>(text.front()))) {
    case 'n':
      return Parity::kNone;
    case 'e':
      return Parity::kEven;
    case 'o':
      return Parity::kOdd;
    case 'm':
      return Parity::kMark;
    case 's':
      return Parity::kSpace;
    default:
      return std::nullopt;
  }
}

std::optional<StopBits> ParseStopBits(std::string_view text) {
  if (text == "1") return StopBits::kOne;
  if (text == "1.5") return StopBits::kOneAndHalf;
  if (text == "2") return StopBits::kTwo;
  return std::nullopt;
}

// The rates termios has constants for, up to what RS232 adapters commonly reach.
constexpr std::array<std::pair<int, speed_t>, 24> kSpeeds{{
    {50, B50},         {75, B75},         {110, B110},         {134, B134},
    {150, B150},       {200, B200},       {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {2000000, B2000000},
}};

std::optional<speed_t> SpeedConstant(int baud) {
  for (const auto& [rate, constant] : kSpeeds) {
    if (rate == baud) return constant;
  }
  return std::nullopt;
}

tcflag_t DataBitsFlag(int bits) {
  switch (bits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

}  // namespace

std::string_view ModeDeviceName(std::string_view mode_text) {
  return mode_text.substr(0, mode_text.find(':'));
}

std::optional<LineSettings> ParseLineSettings(std::string_view mode_text) {
  const std::size_t colon = mode_text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::vector<std::string_view> fields = SplitFields(mode_text.substr(colon + 1));
  // baud, parity, data bits, stop bits; Windows' fifth field (retry) means nothing here
  constexpr std::size_t kMaxFields = 4;
  if (fields.size() > kMaxFields) return std::nullopt;

  LineSettings settings;
  const std::optional<int> baud = ParseDecimal(fields[0]);
  if (!baud || *baud <= 0) return std::nullopt;
  settings.baud = *baud;
  if (fields.size() > 1) {
    settings.parity = ParseParity(fields[1]);
    if (!settings.parity) return std::nullopt;
  }
  if (fields.size() > 2) {
    settings.data_bits = ParseDecimal(fields[2]);
    if (!settings.data_bits || *settings.data_bits < 5 || *settings.data_bits > 8) {
      return std::nullopt;
    }
  }
  if (fields.size() > 3) {
    settings.stop_bits = ParseStopBits(fields[3]);
    if (!settings.stop_bits) return std::nullopt;
  }
  return settings;
}

bool ApplyLineSettings(const LineSettings& settings, termios& tio) {
  const std::optional<speed_t> speed = SpeedConstant(settings.baud);
  if (!speed) return false;

  termios next = tio;
  if (settings.data_bits) {
    next.c_cflag = (next.c_cflag & ~CSIZE) | DataBitsFlag(*settings.data_bits);
  }
  const tcflag_t size = next.c_cflag & CSIZE;
  if (settings.stop_bits) {
    // A UART sends 1.5 stop bits only with 5 data bits and 2 only with more, as on Windows.
    const bool five_bits = size == CS5;
    if (*settings.stop_bits == StopBits::kOneAndHalf && !five_bits) return false;
    if (*settings.stop_bits == StopBits::kTwo && five_bits) return false;
    if (*settings.stop_bits == StopBits::kOne) {
      next.c_cflag &= ~CSTOPB;
    } else {
      next.c_cflag |= CSTOPB;
    }
  }
  if (settings.parity) {
    next.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (*settings.parity) {
      case Parity::kNone:
        break;
      case Parity::kEven:
        next.c_cflag |= PARENB;
        break;
      case Parity::kOdd:
        next.c_cflag |= PARENB | PARODD;
        break;
      case Parity::kMark:
        next.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
      case Parity::kSpace:
        next.c_cflag |= PARENB | CMSPAR;
        break;
    }
  }
  cfsetispeed(&next, *speed);
  cfsetospeed(&next, *speed);

  // Raw bytes both ways: the loader's replies are binary and must arrive unchanged.
  next.c_iflag &=
      ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  next.c_oflag &= ~OPOST;
  next.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  // CLOCAL: a device without modem lines must not block or hang up the port.
  next.c_cflag |= CLOCAL | CREAD;
  next.c_cflag &= ~CRTSCTS;
  // With O_NONBLOCK, VMIN 1 makes an empty read EAGAIN, so a read of 0 means only a hang-up.
  next.c_cc[VMIN] = 1;
  next.c_cc[VTIME] = 0;
  tio = next;
  return true;
}

}  // namespace trelvin2

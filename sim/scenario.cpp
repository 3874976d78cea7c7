#include "sim/scenario.h"

#include <charconv>
#include <cstdio>

namespace trelvin2::sim {
namespace {

struct KindName {
  ReplyFaultKind kind;
  std::string_view name;
};

constexpr KindName kKindNames[] = {
    {ReplyFaultKind::kReplace, "reply"}, {ReplyFaultKind::kWrong, "wrong"},
    {ReplyFaultKind::kSwapCase, "case"}, {ReplyFaultKind::kShort, "short"},
    {ReplyFaultKind::kLong, "long"},     {ReplyFaultKind::kExtra, "extra"},
    {ReplyFaultKind::kSplit, "split"},   {ReplyFaultKind::kLate, "late"},
};

std::optional<int> ParseCount(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseValue(ReplyFault& fault, std::string_view value, std::string& error) {
  switch (fault.kind) {
    case ReplyFaultKind::kReplace:
    case ReplyFaultKind::kExtra: {
      const auto bytes = UnescapeBytes(value);
      if (!bytes || bytes->empty()) {
        error = "needs =TEXT with valid escapes";
        return false;
      }
      fault.bytes = *bytes;
      return true;
    }
    case ReplyFaultKind::kSplit: {
      const auto at = value.find('@');
      const auto piece = ParseCount(value.substr(0, at));
      const auto gap =
          at == std::string_view::npos ? std::nullopt : ParseCount(value.substr(at + 1));
      if (!piece || *piece == 0 || !gap) {
        error = "needs =K@MS, K bytes a piece and MS milliseconds between pieces";
        return false;
      }
      fault.piece_bytes = *piece;
      fault.delay_ms = *gap;
      return true;
    }
    case ReplyFaultKind::kLate: {
      const auto ms = ParseCount(value);
      if (!ms) {
        error = "needs =MS";
        return false;
      }
      fault.delay_ms = *ms;
      return true;
    }
    default:
      if (!value.empty()) {
        error = "takes no value";
        return false;
      }
      return true;
  }
}

bool ParseReplyFault(std::string_view text, ReplyFault& fault, std::string& error) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) {
    error = "unknown fault";
    return false;
  }
  const std::string_view kind_name = text.substr(0, colon);
  bool known = false;
  for (const auto& entry : kKindNames) {
    if (entry.name == kind_name) {
      fault.kind = entry.kind;
      known = true;
    }
  }
  if (!known) {
    error = "unknown fault kind '" + std::string(kind_name) + "'";
    return false;
  }
  std::string_view rest = text.substr(colon + 1);
  std::string_view value;
  bool has_value = false;
  if (const auto equals = rest.find('='); equals != std::string_view::npos) {
    value = rest.substr(equals + 1);
    rest = rest.substr(0, equals);
    has_value = true;
  }
  std::string_view key = rest;
  if (const auto hash = rest.find('#'); hash != std::string_view::npos) {
    key = rest.substr(0, hash);
    const auto occurrence = ParseCount(rest.substr(hash + 1));
    if (!occurrence || *occurrence == 0) {
      error = "#N needs a count from 1";
      return false;
    }
    fault.occurrence = *occurrence;
  }
  if (key == "code") {
    fault.key = kSecurityKey;
  } else if (key.size() == 1 && key[0] > ' ' && key[0] < 0x7F) {
    fault.key = key[0];
  } else {
    error = "the key is a command letter or 'code'";
    return false;
  }
  if (has_value && value.empty()) {
    error = "'=' needs a value";
    return false;
  }
  return ParseValue(fault, value, error);
}

}  // namespace

std::optional<std::string> UnescapeBytes(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 'r':
        bytes += '\r';
        break;
      case 'n':
        bytes += '\n';
        break;
      case '\\':
        bytes += '\\';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return bytes;
}

std::string EscapeBytes(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      text += hex;
    } else {
      text += c;
    }
  }
  return text;
}

bool AddFault(std::string_view text, Scenario& scenario, std::string& error) {
  if (text == "silence") {
    scenario.reset.kind = ResetKind::kNever;
    return true;
  }
  if (text == "crlf") {
    scenario.reply_faults.push_back({ReplyFaultKind::kExtra, kConnectKey, 0, "\r\n", 0, 0});
    return true;
  }
  if (text.starts_with("noise=")) {
    const auto bytes = UnescapeBytes(text.substr(6));
    if (!bytes || bytes->empty()) {
      error = "noise needs =TEXT with valid escapes";
      return false;
    }
    scenario.reset_noise += *bytes;
    return true;
  }
  if (text.starts_with("cut=")) {
    const auto count = ParseCount(text.substr(4));
    if (!count || *count == 0) {
      error = "cut needs =N, a byte count from 1";
      return false;
    }
    scenario.cut_after_bytes = *count;
    return true;
  }
  ReplyFault fault;
  if (!ParseReplyFault(text, fault, error)) return false;
  scenario.reply_faults.push_back(fault);
  return true;
}

std::string FaultText(const ReplyFault& fault) {
  std::string text;
  for (const auto& entry : kKindNames) {
    if (entry.kind == fault.kind) text = std::string(entry.name);
  }
  text += ':';
  text += fault.key == kSecurityKey ? std::string("code") : std::string(1, fault.key);
  // Appended piece by piece: "#" + std::to_string(...) inserts at the front of a temporary, where
  // GCC 12 at -O3 sees a memcpy overlap that cannot happen (-Wrestrict).
  if (fault.occurrence > 0) {
    text += '#';
    text += std::to_string(fault.occurrence);
  }
  switch (fault.kind) {
    case ReplyFaultKind::kReplace:
    case ReplyFaultKind::kExtra:
      text += '=';
      text += EscapeBytes(fault.bytes);
      break;
    case ReplyFaultKind::kSplit:
      text += '=';
      text += std::to_string(fault.piece_bytes);
      text += '@';
      text += std::to_string(fault.delay_ms);
      break;
    case ReplyFaultKind::kLate:
      text += '=';
      text += std::to_string(fault.delay_ms);
      break;
    default:
      break;
  }
  return text;
}

std::string_view FaultHelp() {
  return R"(Faults (--fault FAULT, repeatable):
  silence               the device is never reset, so the loader never answers
  noise=TEXT            the device sends TEXT as it resets
  crlf                  every connect reply "LD=SB" is followed by "\r\n"
  cut=N                 the cable is pulled right after the Nth byte from the tool
  KIND:KEY[#N][=VALUE]  a fault in the reply to KEY at its Nth occurrence (every one without #N)
KEY: D (connect reply "LD=SB"), code (security reply "L!"), A, C, B, W, or another letter
(the refusal "X?" of an unknown command). KIND:
  reply=TEXT   reply TEXT instead           e.g. reply:W#2=W?  refuses the 2nd block write
  wrong        last byte becomes '?'        e.g. wrong:D#1     answers "LD=S?" once
  case         upper/lower case swapped     e.g. case:A        answers "a!"
  short        last byte left out           e.g. short:code    answers "L"
  long         last byte sent twice         e.g. long:C        answers "C!!"
  extra=TEXT   TEXT follows the reply       e.g. extra:A#1=x
  split=K@MS   pieces of K bytes, MS ms apart  e.g. split:D=2@300
  late=MS      the reply starts MS ms late  e.g. late:code=60
TEXT takes \r, \n, \\ and \xHH escapes. Faults change only the bytes on the wire and their
timing; the loader still does what each command asked.
)";
}

}  // namespace trelvin2::sim

// How a simulated Trelvin 2 misbehaves, and when the operator resets it. Each fault is a small
// value with a text form for trelvin2-sim's --fault option:
//
//   silence               the device is never reset, so the loader never answers
//   noise=TEXT            the device sends TEXT as it resets (a UART waking up)
//   crlf                  every connect reply is followed by "\r\n"
//   cut=N                 the cable is pulled right after the Nth byte from the tool arrives
//   KIND:KEY[#N][=VALUE]  a fault in the reply to KEY, at its Nth occurrence (every one without #N)
//
// KEY is the command letter whose reply is changed: D (the connect reply "LD=SB"), code (the
// reply to the security code, "L!"), A, C, B, W, or any other letter (the refusal "X?").
// KIND is one of
//   reply=TEXT   reply TEXT instead (reply:W#2=W? refuses the second block write)
//   wrong        the last byte of the reply becomes '?' ("LD=S?", "A?")
//   case         upper and lower case swapped ("a!", "ld=sb")
//   short        the last byte is left out ("A")
//   long         the last byte is sent twice ("A!!")
//   extra=TEXT   TEXT follows the reply at once
//   split=K@MS   the reply goes out in pieces of K bytes, MS milliseconds apart
//   late=MS      the reply starts MS milliseconds later than the loader would send it
// TEXT takes \r, \n, \\ and \xHH escapes. Faults change only the bytes on the wire and their
// timing: the loader still does what the command asked (a "W?" block is programmed all the same).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvin2::sim {

// A reply key: a command letter (the reply to that command, or its refusal), or the security
// reply. The connect reply is keyed by its command letter "D"; the security reply has no letter
// of its own, so its key lies outside the byte range: the refusal of an unknown command "L" is
// not the security reply, though both begin with 'L'.
using ReplyKey = int;
inline constexpr ReplyKey kConnectKey = 'D';     // the reply to the connect command
inline constexpr ReplyKey kSecurityKey = 0x100;  // the reply to the security code ("code" in text)

enum class ReplyFaultKind { kReplace, kWrong, kSwapCase, kShort, kLong, kExtra, kSplit, kLate };

struct ReplyFault {
  ReplyFaultKind kind = ReplyFaultKind::kReplace;
  ReplyKey key = kConnectKey;
  int occurrence = 0;   // 1 = the first reply to key; 0 = every reply
  std::string bytes;    // kReplace, kExtra
  int piece_bytes = 0;  // kSplit
  int delay_ms = 0;     // kSplit (between pieces), kLate
};

enum class ResetKind {
  kImmediate,       // the device is in its loader from the start
  kAtTime,          // at time_us
  kAfterFirstByte,  // time_us after the first byte from the tool arrives
  kNever,           // the operator never resets it: silence
};

struct ResetPlan {
  ResetKind kind = ResetKind::kImmediate;
  std::uint64_t time_us = 0;
};

// A USB-serial adapter between the device and the tool, as an FTDI chip passes the device's
// bytes on: it holds them until its latency timer runs out (at timer_phase_us + k x latency_ms
// on the model's time line) or until a USB packet's 62 data bytes are full, which sends them at
// once and starts the timer again. The tool's bytes go out without delay.
struct UsbAdapter {
  int latency_ms = 0;  // 0: no adapter, a plain UART; FTDI chips take 1 to 255, 16 by default
  std::uint64_t timer_phase_us = 0;
};

struct Scenario {
  ResetPlan reset;
  std::string reset_noise;  // bytes the device sends at its reset
  int cut_after_bytes = 0;  // the cable is pulled after this many bytes from the tool; 0 never
  std::vector<ReplyFault> reply_faults;
  UsbAdapter adapter;
};

// Adds the fault given in text form to scenario. false, with a reason in error, when the text
// is not a fault; scenario is then unchanged.
bool AddFault(std::string_view text, Scenario& scenario, std::string& error);

// The text form of a fault, as AddFault reads it.
std::string FaultText(const ReplyFault& fault);

// Bytes from a TEXT with \r, \n, \\ and \xHH escapes; nullopt when an escape is malformed.
std::optional<std::string> UnescapeBytes(std::string_view text);
// Printable form of bytes: printable ASCII as is, the rest as \r, \n or \xHH.
std::string EscapeBytes(std::string_view bytes);

// The help text for all fault forms, for --help.
std::string_view FaultHelp();

}  // namespace trelvin2::sim

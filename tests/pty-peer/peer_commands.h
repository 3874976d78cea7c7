// What a test on the far side of a COM port asks the pty peer to do, sent over the line itself:
// one letter, then its arguments, numbers least significant byte first. Shared by the peer
// (Linux) and the Windows serial tests under Wine.
#pragma once

#include <cstdint>

namespace trelvin2::peer {

// 'P' count:u8, then count events of at_ms:u16 length:u8 bytes[length]: the peer sends each
// event's bytes at its time, counted from the command's arrival. Any later command byte ends
// the rest of the play.
inline constexpr std::uint8_t kPlay = 'P';
// 'E' length:u16 bytes[length]: the peer sends the bytes back once all have come.
inline constexpr std::uint8_t kEcho = 'E';
// 'L': the peer answers with how the line is set (kLineReportSize bytes, see below).
inline constexpr std::uint8_t kLineReport = 'L';
// 'H': the peer hangs up (the cable is pulled); the link then names a fresh pty.
inline constexpr std::uint8_t kHangUp = 'H';
// 'X': stops a play that is still going; no answer.
inline constexpr std::uint8_t kStop = 'X';

// Line report: baud:u32, data bits:u8, flags:u8.
inline constexpr int kLineReportSize = 6;
inline constexpr std::uint8_t kTwoStopBits = 0x01;
inline constexpr std::uint8_t kParity = 0x02;
inline constexpr std::uint8_t kHardwareFlow = 0x04;
inline constexpr std::uint8_t kSoftwareFlow = 0x08;
inline constexpr std::uint8_t kNotRaw = 0x10;  // line editing, echo, signals or output changes

// A play event whose length byte is this hangs up instead of sending.
inline constexpr std::uint8_t kHangUpEvent = 0xFF;

}  // namespace trelvin2::peer

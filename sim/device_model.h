// The Trelvin 2 in software: its boot loader as one small state machine over the device's flash,
// on a 19200-baud line with the loader's own working times, with the faults of a Scenario.
//
// The model has no clock and does no I/O. A front (the simulated link of the tests, the pty of
// trelvin2-sim) hands it each byte from the tool with the moment the tool sent it, and takes the
// reply bytes whose time has come. Times are microseconds on the front's time line.
//
// The loader, as the model plays it:
//   asleep         until the device is reset (the Scenario's plan, or ResetAt); ignores bytes
//   after a reset  "D" is answered "LD=SB"; then three bytes must be the security code, answered
//                  "L!". A wrong code is answered "L?" and puts the loader back to sleep until
//                  the next reset. A "D" in place of the first code byte is answered "LD=SB"
//                  again, since a tool that missed the reply calls once more.
//   unlocked       "A" + 3 address bytes (LSB first) sets the address; "C" erases its 64-byte
//                  row; "B" + 8 bytes loads the block buffer; "W" programs the buffer at the
//                  address (8-aligned) and empties the buffer. Each answers its letter and "!".
//                  "S" starts the firmware, without an answer; the loader is gone from then on.
//   refusals       an address in the boot loader's region (0x1E00 and up), "C" or "W" before any
//                  address, "W" at an address that is not 8-aligned, "W" without a loaded buffer,
//                  and any other letter are answered with the letter and "?".
// Every refusal, and anything else a correct tool never does (bytes before the connect command,
// a wrong security code, a block written over bytes that are not erased, bytes after "S"), is
// recorded in Violations(): the model judges the tool, it does not merely answer it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/firmware_start.h"
#include "sim/flash_memory.h"
#include "sim/scenario.h"
#include "sim/transcript.h"

namespace trelvin2::sim {

// 19200 baud 8N1 carries ten bits a byte (start, eight data, stop): 520.8 us, rounded up.
inline constexpr std::uint64_t kByteTimeUs = 521;

// How long the loader works on a command before the first byte of its reply leaves.
inline constexpr std::uint64_t kConnectReplyUs = 100;   // "LD=SB" comes from its receive loop
inline constexpr std::uint64_t kSecurityReplyUs = 100;  // three compares, then "L!"
inline constexpr std::uint64_t kAddressUs = 30;         // stores three bytes
inline constexpr std::uint64_t kBufferLoadUs = 40;      // copies eight bytes to the latches
inline constexpr std::uint64_t kEraseRowUs = 2000;      // a row erase takes the PIC18F1320 ~2 ms
inline constexpr std::uint64_t kWriteBlockUs = 2000;    // and so does a block write
inline constexpr std::uint64_t kRefusalUs = 30;         // a refusal is decided at once

enum class LoaderState { kAsleep, kAwaitConnect, kAwaitCode, kUnlocked, kFirmware };

// A USB packet carries 64 bytes, two of them the FTDI chip's modem status: 62 data bytes fill it.
inline constexpr int kAdapterPacketBytes = 62;

// A byte from the device with the moment it reaches the tool: its stop bit's end on the line,
// or, behind a USB adapter, the moment the adapter passes it on.
struct ReplyByte {
  std::uint64_t time_us = 0;
  std::uint8_t value = 0;
  std::uint64_t line_us = 0;  // when its stop bit ended on the line
};

struct Violation {
  std::uint64_t time_us = 0;
  std::string text;
};

class DeviceModel {
 public:
  // Program memory holds the tool's firmware image below the loader's region, erased above.
  explicit DeviceModel(Scenario scenario = {});
  // Program memory as given (an erased one, or one kept in a file between runs).
  DeviceModel(Scenario scenario, const FlashMemory& flash);

  // The tool hands byte to its UART at sent_us; it arrives after the bytes before it and its
  // own 521 us on the line. Returns that arrival time. Bytes after the cable is cut are lost.
  std::uint64_t Send(std::uint8_t byte, std::uint64_t sent_us);

  // The operator presses reset at time_us (besides the Scenario's plan).
  void ResetAt(std::uint64_t time_us);

  // The time of the next reply byte not yet taken, if any is on its way.
  std::optional<std::uint64_t> NextReplyUs() const;
  // Removes and returns the reply bytes complete at the tool by until_us, in order.
  std::vector<ReplyByte> TakeReplies(std::uint64_t until_us);

  // When the cable was pulled, once the Scenario's cut has happened.
  std::optional<std::uint64_t> CutUs() const { return cut_us_; }

  LoaderState State() const { return state_; }
  const FlashMemory& Flash() const { return flash_; }
  // Set when "S" started the firmware: what it made of its LinkConfigRecord.
  const std::optional<FirmwareStart>& Firmware() const { return firmware_; }
  const std::vector<Violation>& Violations() const { return violations_; }
  // Every byte in both directions, in time order; replies still on their way included.
  std::vector<LineByte> Transcript() const;

 private:
  void ApplyDueReset(std::uint64_t now_us);
  void ScheduleReset(std::uint64_t time_us);
  void Receive(std::uint8_t byte, std::uint64_t time_us);
  void ReceiveCode(std::uint8_t byte, std::uint64_t time_us);
  void ReceiveCommandByte(std::uint8_t byte, std::uint64_t time_us);
  void RunCommand(std::uint64_t time_us);
  void Reply(ReplyKey key, std::string text, std::uint64_t time_us, std::uint64_t work_us);
  void Refuse(char letter, std::uint64_t time_us, std::string why);
  void Emit(std::string_view bytes, std::uint64_t ready_us, int piece_bytes, std::uint64_t gap_us);
  void Violate(std::uint64_t time_us, std::string text);
  std::uint64_t PassedOnUs(std::uint64_t line_us);

  Scenario scenario_;
  FlashMemory flash_;
  LoaderState state_ = LoaderState::kAsleep;

  std::uint64_t rx_free_us_ = 0;     // when the line towards the device is free again
  std::uint64_t tx_free_us_ = 0;     // when the line towards the tool is free again
  std::uint64_t busy_until_us_ = 0;  // when the loader has finished its last command
  std::uint64_t bytes_received_ = 0;
  std::optional<std::uint64_t> cut_us_;
  std::vector<std::uint64_t> resets_us_;  // resets still to come, earliest first

  int code_bytes_ = 0;
  std::uint8_t code_[3] = {};
  std::string command_;  // letter and argument bytes of the command being received
  std::optional<std::uint32_t> address_;
  std::optional<std::vector<std::uint8_t>> buffer_;
  std::map<ReplyKey, int> replies_by_key_;

  std::uint64_t adapter_timer_us_ = 0;  // when the adapter's timer last started
  std::uint64_t adapter_send_us_ = 0;   // when the bytes it holds go to the tool
  int adapter_held_ = 0;                // how many bytes it holds for then

  std::deque<ReplyByte> outgoing_;
  std::vector<LineByte> transcript_;
  std::vector<Violation> violations_;
  std::optional<FirmwareStart> firmware_;
};

}  // namespace trelvin2::sim

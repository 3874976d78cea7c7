// A serial link on the virtual clock whose far end is a script: bytes that a test queues become
// readable at given virtual times, or in reaction to what the program wrote. Every written byte
// is kept with its virtual time. Reads keep the port's time limits, and every call costs a few
// virtual microseconds, so a polling loop moves time on as it would on a real port.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "serial/serial_link.h"
#include "tests/support/virtual_clock.h"

namespace trelvin2 {

class ScriptedLink : public SerialLink {
 public:
  // About what a call into the operating system's serial driver costs.
  static constexpr std::uint64_t kCallCostUs = 5;
  // The loader's usual answer time to a command in the command mode below.
  static constexpr std::uint64_t kDefaultAnswerUs = 1000;

  struct WrittenByte {
    std::uint8_t value;
    std::uint64_t at_us;
  };

  explicit ScriptedLink(VirtualClock& clock) : clock_(clock) {}

  // Bytes that become readable at a virtual time, all at once.
  void ArriveAtUs(std::uint64_t at_us, std::string_view bytes) {
    for (const char c : bytes) {
      const Pending p{at_us, static_cast<std::uint8_t>(c)};
      pending_.insert(
          std::upper_bound(pending_.begin(), pending_.end(), p,
                           [](const Pending& a, const Pending& b) { return a.at_us < b.at_us; }),
          p);
    }
  }
  void ArriveAtMs(std::uint64_t at_ms, std::string_view bytes) { ArriveAtUs(at_ms * 1000, bytes); }
  void ArriveInUs(std::uint64_t delay_us, std::string_view bytes) {
    ArriveAtUs(clock_.NowUs() + delay_us, bytes);
  }

  // Runs after every write with the bytes of that write, so a test can answer them.
  std::function<void(ScriptedLink&, std::span<const std::uint8_t>)> on_write;

  // Command mode: the link frames what it is sent into loader commands ("A" and three address
  // bytes, "B" and eight data bytes, "C", "W"; other bytes start nothing) and answers each
  // complete command with the next of these replies, answer_us later. An empty reply, or none
  // left, is silence.
  void AnswerCommands(std::vector<std::string> replies,
                      std::uint64_t answer_us = kDefaultAnswerUs) {
    command_replies_.assign(replies.begin(), replies.end());
    answer_us_ = answer_us;
    answering_commands_ = true;
  }

  std::vector<WrittenByte> written;               // every byte, with the time it was written
  std::vector<std::vector<std::uint8_t>> writes;  // the bytes of each SerialWrite, in order
  int read_calls = 0;

  std::vector<std::uint8_t> WrittenBytes() const {
    std::vector<std::uint8_t> bytes;
    for (const WrittenByte& w : written) bytes.push_back(w.value);
    return bytes;
  }
  std::string WrittenText() const {
    std::string text;
    for (const WrittenByte& w : written) text.push_back(static_cast<char>(w.value));
    return text;
  }
  // Bytes that have arrived and were not yet read.
  int Arrived() const {
    return static_cast<int>(std::count_if(pending_.begin(), pending_.end(), [&](const Pending& p) {
      return p.at_us <= clock_.NowUs();
    }));
  }
  // Everything queued, arrived or not.
  int Queued() const { return static_cast<int>(pending_.size()); }

  // SerialLink
  PortHandle SerialOpen(std::string_view, std::int32_t, std::int32_t, std::int32_t) override {
    Cost();
    return 1;
  }
  int SerialWrite(PortHandle, const std::uint8_t* bytes, std::int32_t length) override {
    Cost();
    const std::span<const std::uint8_t> data(bytes, static_cast<std::size_t>(length));
    writes.emplace_back(data.begin(), data.end());
    for (const std::uint8_t b : data) {
      written.push_back({b, clock_.NowUs()});
      if (answering_commands_) FrameCommand(b);
    }
    if (on_write) on_write(*this, data);
    return 1;
  }
  // Windows-style limits: all length bytes, or 100 ms after the last byte, or 100 + 10 x length
  // ms after the start. The clock moves to the moment the read returns.
  int SerialRead(PortHandle, std::uint8_t* buffer, std::int32_t length) override {
    Cost();
    ++read_calls;
    const std::uint64_t start = clock_.NowUs();
    const std::uint64_t total_deadline =
        start + 1000 * static_cast<std::uint64_t>(kReadTotalTimeoutConstantMs +
                                                  kReadTotalTimeoutMultiplierMs * length);
    std::uint64_t deadline = total_deadline;
    for (std::int32_t got = 0; got < length; ++got) {
      if (pending_.empty() || pending_.front().at_us > deadline) {
        clock_.AdvanceToUs(deadline);
        return 1;
      }
      clock_.AdvanceToUs(pending_.front().at_us);
      buffer[got] = pending_.front().value;
      pending_.pop_front();
      deadline =
          std::min(total_deadline, clock_.NowUs() + 1000 * std::uint64_t{kReadIntervalTimeoutMs});
    }
    return 1;
  }
  std::int32_t SerialBytesWaiting(PortHandle) override {
    Cost();
    return Arrived();
  }
  void SerialClose(PortHandle) override { Cost(); }

 private:
  struct Pending {
    std::uint64_t at_us;
    std::uint8_t value;
  };

  void Cost() { clock_.AdvanceUs(kCallCostUs); }

  void FrameCommand(std::uint8_t b) {
    if (arguments_left_ > 0) {
      --arguments_left_;
    } else if (b == 'A') {
      arguments_left_ = 3;  // the address
    } else if (b == 'B') {
      arguments_left_ = 8;  // the block's data
    } else if (b != 'C' && b != 'W') {
      return;  // not a command the loader answers
    }
    if (arguments_left_ > 0) return;
    if (!command_replies_.empty()) {
      ArriveInUs(answer_us_, command_replies_.front());
      command_replies_.pop_front();
    }
  }

  VirtualClock& clock_;
  std::deque<Pending> pending_;  // in order of arrival time
  bool answering_commands_ = false;
  std::deque<std::string> command_replies_;
  std::uint64_t answer_us_ = kDefaultAnswerUs;
  int arguments_left_ = 0;
};

}  // namespace trelvin2

#include "sim/device_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "build_constants.h"
#include "data/embedded_data.h"

namespace trelvin2::sim {
namespace {

constexpr int kAddressBytes = 3;  // "A" carries a 24-bit address, least significant byte first

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::size_t ArgumentBytes(char letter) {
  switch (letter) {
    case 'A':
      return kAddressBytes;
    case 'B':
      return kWriteBlockBytes;
    default:
      return 0;
  }
}

FlashMemory MemoryWithFirmware() {
  FlashMemory flash;
  flash.LoadApplication(FirmwareBin());
  return flash;
}

std::string SwapCase(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(std::isupper(byte) ? std::tolower(byte) : std::toupper(byte));
  }
  return text;
}

}  // namespace

DeviceModel::DeviceModel(Scenario scenario)
    : DeviceModel(std::move(scenario), MemoryWithFirmware()) {}

DeviceModel::DeviceModel(Scenario scenario, const FlashMemory& flash)
    : scenario_(std::move(scenario)),
      flash_(flash),
      adapter_timer_us_(scenario_.adapter.timer_phase_us) {
  if (scenario_.reset.kind == ResetKind::kImmediate) ScheduleReset(0);
  if (scenario_.reset.kind == ResetKind::kAtTime) ScheduleReset(scenario_.reset.time_us);
}

std::uint64_t DeviceModel::Send(std::uint8_t byte, std::uint64_t sent_us) {
  const std::uint64_t arrival = std::max(sent_us, rx_free_us_) + kByteTimeUs;
  rx_free_us_ = arrival;
  if (cut_us_) return arrival;
  if (bytes_received_ == 0 && scenario_.reset.kind == ResetKind::kAfterFirstByte) {
    ScheduleReset(arrival + scenario_.reset.time_us);
  }
  ++bytes_received_;
  transcript_.push_back({arrival, Direction::kToDevice, byte});
  Receive(byte, arrival);
  if (scenario_.cut_after_bytes > 0 &&
      bytes_received_ == static_cast<std::uint64_t>(scenario_.cut_after_bytes)) {
    cut_us_ = arrival;
    // Whatever had not reached the tool by now never will.
    std::erase_if(outgoing_, [&](const ReplyByte& b) { return b.time_us > arrival; });
    std::erase_if(transcript_, [&](const LineByte& b) {
      return b.direction == Direction::kFromDevice && b.time_us > arrival;
    });
  }
  return arrival;
}

void DeviceModel::ResetAt(std::uint64_t time_us) { ScheduleReset(time_us); }

void DeviceModel::ScheduleReset(std::uint64_t time_us) {
  resets_us_.insert(std::upper_bound(resets_us_.begin(), resets_us_.end(), time_us), time_us);
  // A UART coming out of reset may put garbage on the line before the loader runs.
  Emit(scenario_.reset_noise, time_us, 0, 0);
}

void DeviceModel::ApplyDueReset(std::uint64_t now_us) {
  while (!resets_us_.empty() && resets_us_.front() <= now_us) {
    resets_us_.erase(resets_us_.begin());
    state_ = LoaderState::kAwaitConnect;
    code_bytes_ = 0;
    command_.clear();
    address_.reset();
    buffer_.reset();
  }
}

std::optional<std::uint64_t> DeviceModel::NextReplyUs() const {
  if (outgoing_.empty()) return std::nullopt;
  return outgoing_.front().time_us;
}

std::vector<ReplyByte> DeviceModel::TakeReplies(std::uint64_t until_us) {
  std::vector<ReplyByte> taken;
  while (!outgoing_.empty() && outgoing_.front().time_us <= until_us) {
    taken.push_back(outgoing_.front());
    outgoing_.pop_front();
  }
  return taken;
}

std::vector<LineByte> DeviceModel::Transcript() const {
  std::vector<LineByte> sorted = transcript_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const LineByte& a, const LineByte& b) { return a.time_us < b.time_us; });
  return sorted;
}

void DeviceModel::Receive(std::uint8_t byte, std::uint64_t time_us) {
  ApplyDueReset(time_us);
  switch (state_) {
    case LoaderState::kAsleep:
      return;  // the firmware (or a device nobody reset) does not listen to the loader's calls
    case LoaderState::kAwaitConnect:
      if (byte == 'D') {
        Reply(kConnectKey, "LD=SB", time_us, kConnectReplyUs);
        state_ = LoaderState::kAwaitCode;
        code_bytes_ = 0;
      } else {
        Violate(time_us, "byte " + Hex(byte, 2) + " before the connect command");
      }
      return;
    case LoaderState::kAwaitCode:
      ReceiveCode(byte, time_us);
      return;
    case LoaderState::kUnlocked:
      ReceiveCommandByte(byte, time_us);
      return;
    case LoaderState::kFirmware:
      Violate(time_us, "byte " + Hex(byte, 2) + " after the firmware started");
      return;
  }
}

void DeviceModel::ReceiveCode(std::uint8_t byte, std::uint64_t time_us) {
  if (code_bytes_ == 0 && byte == 'D' && kSecurityCode[0] != 'D') {
    Reply(kConnectKey, "LD=SB", time_us, kConnectReplyUs);
    return;
  }
  code_[code_bytes_++] = byte;
  if (code_bytes_ < static_cast<int>(kSecurityCode.size())) return;
  code_bytes_ = 0;
  if (std::equal(kSecurityCode.begin(), kSecurityCode.end(), code_)) {
    Reply(kSecurityKey, "L!", time_us, kSecurityReplyUs);
    state_ = LoaderState::kUnlocked;
    return;
  }
  Violate(time_us, "wrong security code " + Hex(code_[0], 2) + " " + Hex(code_[1], 2) + " " +
                       Hex(code_[2], 2));
  Reply(kSecurityKey, "L?", time_us, kSecurityReplyUs);
  state_ = LoaderState::kAsleep;
}

void DeviceModel::ReceiveCommandByte(std::uint8_t byte, std::uint64_t time_us) {
  command_ += static_cast<char>(byte);
  if (command_.size() < 1 + ArgumentBytes(command_[0])) return;
  RunCommand(time_us);
  command_.clear();
}

void DeviceModel::RunCommand(std::uint64_t time_us) {
  const char letter = command_[0];
  const auto arg = [&](std::size_t i) { return static_cast<std::uint8_t>(command_[1 + i]); };
  switch (letter) {
    case 'A': {
      const std::uint32_t address = arg(0) | arg(1) << 8 | arg(2) << 16;
      if (!IsWritableAddress(address)) {
        address_.reset();
        Refuse(letter, time_us,
               "A " + Hex(address, 6) +
                   (address < kProgramMemoryBytes ? ": the boot loader's region"
                                                  : ": outside program memory"));
        return;
      }
      address_ = address;
      Reply(letter, "A!", time_us, kAddressUs);
      return;
    }
    case 'C':
      if (!address_) {
        Refuse(letter, time_us, "C without an address");
        return;
      }
      flash_.EraseRow(*address_);
      Reply(letter, "C!", time_us, kEraseRowUs);
      return;
    case 'B':
      buffer_.emplace();
      for (std::size_t i = 0; i < kWriteBlockBytes; ++i) buffer_->push_back(arg(i));
      Reply(letter, "B!", time_us, kBufferLoadUs);
      return;
    case 'W':
      if (!buffer_) {
        Refuse(letter, time_us, "W without a loaded buffer");
        return;
      }
      if (!address_) {
        Refuse(letter, time_us, "W without an address");
        return;
      }
      if (*address_ % kWriteBlockBytes != 0) {
        Refuse(letter, time_us, "W at " + Hex(*address_, 4) + ", not 8-aligned");
        return;
      }
      if (!flash_.IsErased(*address_, kWriteBlockBytes)) {
        // The chip programs it all the same: the bits already cleared stay cleared.
        Violate(time_us, "W at " + Hex(*address_, 4) + " over bytes that are not erased");
      }
      flash_.ProgramBlock(*address_, std::span<const std::uint8_t, kWriteBlockBytes>(
                                         buffer_->data(), kWriteBlockBytes));
      buffer_.reset();
      Reply(letter, "W!", time_us, kWriteBlockUs);
      return;
    case 'S':
      firmware_ = DecodeFirmwareStart(flash_);
      state_ = LoaderState::kFirmware;
      return;
    default:
      Refuse(letter, time_us, "unknown command " + Hex(static_cast<std::uint8_t>(letter), 2));
      return;
  }
}

void DeviceModel::Refuse(char letter, std::uint64_t time_us, std::string why) {
  Violate(time_us, std::move(why));
  Reply(letter, std::string(1, letter) + "?", time_us, kRefusalUs);
}

void DeviceModel::Reply(ReplyKey key, std::string text, std::uint64_t time_us,
                        std::uint64_t work_us) {
  busy_until_us_ = std::max(time_us, busy_until_us_) + work_us;
  std::uint64_t ready_us = busy_until_us_;
  const int occurrence = ++replies_by_key_[key];
  int piece_bytes = 0;
  std::uint64_t gap_us = 0;
  for (const ReplyFault& fault : scenario_.reply_faults) {
    if (fault.key != key || (fault.occurrence != 0 && fault.occurrence != occurrence)) continue;
    switch (fault.kind) {
      case ReplyFaultKind::kReplace:
        text = fault.bytes;
        break;
      case ReplyFaultKind::kWrong:
        if (!text.empty()) text.back() = '?';
        break;
      case ReplyFaultKind::kSwapCase:
        text = SwapCase(text);
        break;
      case ReplyFaultKind::kShort:
        if (!text.empty()) text.pop_back();
        break;
      case ReplyFaultKind::kLong:
        if (!text.empty()) text += text.back();
        break;
      case ReplyFaultKind::kExtra:
        text += fault.bytes;
        break;
      case ReplyFaultKind::kSplit:
        piece_bytes = fault.piece_bytes;
        gap_us = static_cast<std::uint64_t>(fault.delay_ms) * 1000;
        break;
      case ReplyFaultKind::kLate:
        ready_us += static_cast<std::uint64_t>(fault.delay_ms) * 1000;
        break;
    }
  }
  Emit(text, ready_us, piece_bytes, gap_us);
}

void DeviceModel::Emit(std::string_view bytes, std::uint64_t ready_us, int piece_bytes,
                       std::uint64_t gap_us) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::uint64_t start_us = std::max(ready_us, tx_free_us_);
    if (piece_bytes > 0 && i > 0 && i % static_cast<std::size_t>(piece_bytes) == 0) {
      start_us = tx_free_us_ + gap_us;
    }
    tx_free_us_ = start_us + kByteTimeUs;
    if (cut_us_ && tx_free_us_ > *cut_us_) continue;
    const auto value = static_cast<std::uint8_t>(bytes[i]);
    outgoing_.push_back({PassedOnUs(tx_free_us_), value, tx_free_us_});
    transcript_.push_back({tx_free_us_, Direction::kFromDevice, value});
  }
}

std::uint64_t DeviceModel::PassedOnUs(std::uint64_t line_us) {
  const std::uint64_t period_us = static_cast<std::uint64_t>(scenario_.adapter.latency_ms) * 1000;
  if (period_us == 0) return line_us;
  // The timer runs out every period since it last started: the next time at or after the byte
  // is complete.
  const std::uint64_t phase_us = adapter_timer_us_ % period_us;
  const std::uint64_t send_us =
      line_us <= phase_us ? phase_us
                          : phase_us + (line_us - phase_us + period_us - 1) / period_us * period_us;
  if (send_us != adapter_send_us_) {
    adapter_send_us_ = send_us;
    adapter_held_ = 0;
  }
  if (++adapter_held_ < kAdapterPacketBytes) return send_us;
  // A full packet goes at once, with the bytes held for it, and the timer starts again.
  for (auto it = outgoing_.rbegin(); it != outgoing_.rend() && it->time_us == send_us; ++it)
    it->time_us = line_us;
  adapter_timer_us_ = line_us;
  adapter_send_us_ = line_us;
  adapter_held_ = 0;
  return line_us;
}

void DeviceModel::Violate(std::uint64_t time_us, std::string text) {
  violations_.push_back({time_us, std::move(text)});
}

}  // namespace trelvin2::sim

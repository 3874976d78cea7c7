#include "tests/support/update_invariants.h"

#include <array>
#include <cstdio>

#include "build_constants.h"

namespace trelvin2 {
namespace {

using sim::Direction;
using sim::LineByte;

// The erase row's first block and the two after it: the only addresses the tool may send.
constexpr std::array<std::uint32_t, 3> kBlockAddresses{0x1D40, 0x1D48, 0x1D50};
constexpr std::size_t kAddressBytes = 3;
constexpr std::size_t kBlockDataBytes = 8;
constexpr const char* kConnectReply = "LD=SB";
constexpr const char* kSecurityReply = "L!";

enum class Kind {
  kConnect,
  kCode,
  kEraseAddress,
  kErase,
  kBlockData,
  kBlockAddress,
  kWrite,
  kStart
};

// One command as the tool sent it: its first byte's time on the wire, and the reply it awaits.
struct Command {
  Kind kind;
  std::uint64_t first_us;
  std::string reply;  // "" for the start byte, which is not answered
  std::string name;   // for the reports: "the erase's A", "block 2's W"
};

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string Printable(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x20 && byte < 0x7F ? std::string(1, c) : "\\x" + Hex(byte).substr(2);
  }
  return text + "\"";
}

// Reads the tool's bytes as the one command sequence it may send: "D" until the loader answered,
// the security code, the erase, three blocks, "S". Stops at the first byte out of place.
class CommandParser {
 public:
  CommandParser(const std::vector<LineByte>& tool, std::vector<std::string>& violations)
      : tool_(tool), violations_(violations) {}

  std::vector<Command> Parse() {
    while (pos_ < tool_.size() && tool_[pos_].value == 'D') {
      commands_.push_back({Kind::kConnect, tool_[pos_].time_us, kConnectReply, "a connect D"});
      ++pos_;
    }
    if (!Fixed(Kind::kCode, {kSecurityCode.begin(), kSecurityCode.end()}, kSecurityReply,
               "the security code")) {
      return commands_;
    }
    if (!Address(Kind::kEraseAddress, kBlockAddresses[0], "the erase's A")) return commands_;
    if (!Fixed(Kind::kErase, {'C'}, "C!", "the erase's C")) return commands_;
    for (std::size_t block = 0; block < kBlockAddresses.size(); ++block) {
      const std::string which = "block " + std::to_string(block + 1) + "'s ";
      if (!BlockData(which + "B")) return commands_;
      if (!Address(Kind::kBlockAddress, kBlockAddresses[block], which + "A")) return commands_;
      if (!Fixed(Kind::kWrite, {'W'}, "W!", which + "W")) return commands_;
    }
    if (!Fixed(Kind::kStart, {'S'}, "", "the start byte S")) return commands_;
    if (pos_ < tool_.size()) OutOfPlace("nothing");
    return commands_;
  }

 private:
  bool AtEnd() const { return pos_ >= tool_.size(); }

  void OutOfPlace(const std::string& due) {
    violations_.push_back("byte " + std::to_string(pos_ + 1) + " from the tool is " +
                          Hex(tool_[pos_].value) + " where " + due + " was due");
  }

  // A command of known bytes. A command cut short by the end of the line still counts as sent.
  bool Fixed(Kind kind, const std::vector<std::uint8_t>& bytes, const char* reply,
             const std::string& name) {
    if (AtEnd()) return false;
    const std::uint64_t first_us = tool_[pos_].time_us;
    for (const std::uint8_t expected : bytes) {
      if (AtEnd()) break;
      if (tool_[pos_].value != expected) {
        OutOfPlace(name);
        return false;
      }
      ++pos_;
    }
    commands_.push_back({kind, first_us, reply, name});
    return !AtEnd();
  }

  bool Address(Kind kind, std::uint32_t due, const std::string& name) {
    if (AtEnd()) return false;
    const std::size_t start = pos_;
    if (!Fixed(kind, {'A'}, "A!", name)) return false;
    commands_.pop_back();  // taken again below with its address
    std::uint32_t address = 0;
    std::size_t got = 0;
    for (; got < kAddressBytes && !AtEnd(); ++got, ++pos_) {
      address |= static_cast<std::uint32_t>(tool_[pos_].value) << (8 * got);
    }
    if (got == kAddressBytes && address != due) {
      violations_.push_back(name + " carries the address " + Hex(address) + " where " + Hex(due) +
                            " was due: only 0x1D40, 0x1D48 and 0x1D50 may be written");
      return false;
    }
    commands_.push_back({kind, tool_[start].time_us, "A!", name});
    return !AtEnd();
  }

  bool BlockData(const std::string& name) {
    if (!Fixed(Kind::kBlockData, {'B'}, "B!", name)) return false;
    for (std::size_t i = 0; i < kBlockDataBytes && !AtEnd(); ++i) ++pos_;
    return !AtEnd();
  }

  const std::vector<LineByte>& tool_;
  std::vector<std::string>& violations_;
  std::size_t pos_ = 0;
  std::vector<Command> commands_;
};

// The device's bytes in time order, handed out as the tool's input queue holds them.
class ReplyQueue {
 public:
  ReplyQueue(const std::vector<LineByte>& device, std::uint64_t delay_us)
      : device_(device), delay_us_(delay_us) {}

  // Everything that reached the tool before it wrote the command seen at tool_time_us.
  void ArriveBefore(std::uint64_t tool_time_us) {
    const std::uint64_t limit = tool_time_us >= delay_us_ ? tool_time_us - delay_us_ : 0;
    while (next_ < device_.size() && device_[next_].time_us <= limit) {
      queued_ += static_cast<char>(device_[next_++].value);
    }
  }
  void ArriveAll() {
    while (next_ < device_.size()) queued_ += static_cast<char>(device_[next_++].value);
  }
  // The tool's read of count bytes: what it can have got, removed from the queue.
  std::string Take(std::size_t count) {
    std::string taken = queued_.substr(0, count);
    queued_.erase(0, taken.size());
    return taken;
  }
  std::string& Queued() { return queued_; }

 private:
  const std::vector<LineByte>& device_;
  std::uint64_t delay_us_;
  std::size_t next_ = 0;
  std::string queued_;
};

bool ContainsCloseBox(const ToolOutcome& outcome) {
  return outcome.message_boxes.size() == 1 &&
         outcome.message_boxes[0] ==
             std::pair<std::string, std::string>{kNoLoaderBoxTitle, kNoLoaderBoxText};
}

}  // namespace

std::vector<std::string> CheckUpdate(const WireRecord& wire, const ToolOutcome& outcome) {
  std::vector<std::string> violations;
  std::vector<LineByte> tool, device;
  for (const LineByte& byte : wire.bytes) {
    (byte.direction == Direction::kToDevice ? tool : device).push_back(byte);
  }

  const std::vector<Command> commands = CommandParser(tool, violations).Parse();

  // Walk the exchange as the tool's input queue saw it. Connect attempts drop what they did not
  // expect, so the code may follow only when "LD=SB" came since the attempt before the last.
  ReplyQueue queue(device, wire.tool_byte_delay_us);
  bool all_matched = true;
  std::size_t i = 0;
  std::uint64_t previous_connect_us = 0;
  std::uint64_t last_connect_us = 0;
  for (; i < commands.size() && commands[i].kind == Kind::kConnect; ++i) {
    previous_connect_us = last_connect_us;
    last_connect_us = commands[i].first_us;
  }
  if (i < commands.size()) {  // the security code was sent
    std::string recent;
    for (const LineByte& byte : device) {
      if (byte.time_us > previous_connect_us &&
          byte.time_us + wire.tool_byte_delay_us <= commands[i].first_us) {
        recent += static_cast<char>(byte.value);
      }
    }
    const std::size_t found = recent.rfind(kConnectReply);
    if (i == 0 || found == std::string::npos) {
      violations.push_back("the security code went out, but the loader had not answered " +
                           std::string(kConnectReply) + " (it sent " + Printable(recent) + ")");
      all_matched = false;
    }
    queue.ArriveBefore(commands[i].first_us);
    queue.Queued() = found == std::string::npos ? "" : recent.substr(found + 5);
  } else {
    all_matched = false;  // the loader never connected
  }

  for (; i < commands.size(); ++i) {
    const Command& command = commands[i];
    if (command.kind == Kind::kStart) break;
    const bool last = i + 1 == commands.size();
    if (last) {
      queue.ArriveAll();
    } else {
      queue.ArriveBefore(commands[i + 1].first_us);
    }
    const std::string read = queue.Take(command.reply.size());
    if (read == command.reply) continue;
    all_matched = false;
    if (!last) {
      violations.push_back(commands[i + 1].name + " went out after " + command.name +
                           " was answered " + Printable(read) + " instead of " +
                           Printable(command.reply));
    }
    break;
  }
  const bool start_sent = !commands.empty() && commands.back().kind == Kind::kStart;
  if (!start_sent) all_matched = false;

  const bool success_shown = outcome.final_status == kSuccessText;
  if ((success_shown || start_sent) && !all_matched) {
    violations.push_back(std::string("success claimed (") +
                         (success_shown ? "message shown" : "no message") + ", " +
                         (start_sent ? "\"S\" sent" : "no \"S\"") +
                         ") though not every reply of the loader matched");
  }
  if (start_sent && !success_shown) {
    violations.push_back("\"S\" went out but the success message is not shown (status " +
                         Printable(outcome.final_status) + ")");
  }

  if (outcome.close_request_us) {
    // A byte behind others on the line was written no later than they were; only one that found
    // the line idle tells when the tool wrote it.
    std::uint64_t line_free_us = 0;
    for (const LineByte& byte : tool) {
      const std::uint64_t written_us = byte.time_us - wire.tool_byte_delay_us;
      if (written_us > line_free_us && written_us > *outcome.close_request_us) {
        violations.push_back("byte " + Hex(byte.value) + " went out after the close request");
        break;
      }
      line_free_us = byte.time_us;
    }
  }

  // Every ending shows the fixed message of the phase the wire reached; a close request during
  // the connect wait ends the program without one.
  const bool closed_during_update =
      outcome.close_request_us && outcome.final_status == kResetRequestText;
  if (!closed_during_update) {
    bool code_sent = false, erase_sent = false, block_sent = false;
    for (const Command& command : commands) {
      code_sent |= command.kind == Kind::kCode;
      erase_sent |= command.kind == Kind::kEraseAddress;
      block_sent |= command.kind == Kind::kBlockData;
    }
    const std::string& status = outcome.final_status;
    bool fitting = false;
    if (start_sent || success_shown) {
      fitting = success_shown;
    } else if (block_sent) {
      fitting = status == kUpdateFailedText;
    } else if (erase_sent) {
      fitting = status == kEraseFailedText;
    } else if (code_sent) {
      fitting = status == kNoLoaderText || status == kCodeRefusedText;
    } else {
      fitting = status == kNoLoaderText;
    }
    if (!fitting) {
      violations.push_back("the update ended with the status " + Printable(status) +
                           ", not the fixed message of the phase it reached");
    }
    const bool box_due = !code_sent && !success_shown;
    if (box_due != ContainsCloseBox(outcome) || (!box_due && !outcome.message_boxes.empty())) {
      violations.push_back(std::string(box_due ? "no" : "an unexpected") +
                           " message box for a loader that never answered (" +
                           std::to_string(outcome.message_boxes.size()) + " shown)");
    }
  }

  if (!outcome.ended) {
    violations.push_back("the program did not end once its window was closed");
  } else if (outcome.exit_status != 0) {
    violations.push_back("the program ended with exit status " +
                         std::to_string(outcome.exit_status));
  }
  if (!outcome.update_duration_us && !closed_during_update) {
    violations.push_back("the update never came to an end");
  } else if (outcome.update_duration_us && *outcome.update_duration_us > kUpdateLimitUs) {
    violations.push_back("the update took " + std::to_string(*outcome.update_duration_us / 1000) +
                         " ms, beyond its limit of " + std::to_string(kUpdateLimitUs / 1000) +
                         " ms");
  }
  return violations;
}

std::string JoinViolations(const std::vector<std::string>& violations) {
  std::string text;
  for (const std::string& violation : violations) text += violation + "\n";
  return text;
}

}  // namespace trelvin2

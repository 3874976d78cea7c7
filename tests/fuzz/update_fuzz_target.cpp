// Any device behaviour the fuzz bytes describe, against the whole program: it must neither crash
// nor hang nor claim a success it did not earn, and never write where it should not. A broken
// invariant prints the case and aborts, so the fuzzer keeps it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/whole_program_run.h"

namespace {

using namespace trelvin2;

// Hands out the fuzz bytes one at a time; zeros once they run out, so every input is a case.
class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Text(std::size_t max_length) {
    std::string text(Next() % (max_length + 1), '\0');
    for (char& c : text) c = static_cast<char>(Next());
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The keys whose replies a fault can change: connect, security code, and the loader's commands.
constexpr sim::ReplyKey kKeys[] = {sim::kConnectKey, sim::kSecurityKey, 'A', 'C', 'B', 'W'};
constexpr int kMaxFaults = 4;
constexpr int kMaxReplyFaults = 12;  // the raw mode replaces replies at a dozen occurrences
constexpr std::size_t kMaxText = 8;  // a few bytes more than any reply
// A whole successful update puts 52 bytes on the line with one connect attempt; 30 attempts more.
constexpr int kCutRange = 90;
// Timings in units that reach past the reply limits: 10 ms steps up to 2.5 s for the connect,
// whose wait is 1 s, and 1 ms steps for the others, whose replies have about 130 ms.
constexpr int kConnectDelayUnitMs = 10;

sim::ResetPlan Reset(FuzzBytes& in) {
  const std::uint8_t kind = in.Next();
  const std::uint64_t when_us = std::uint64_t{in.Next()} * 200'000;  // up to 51 s
  switch (kind % 8) {
    case 0:
      return {sim::ResetKind::kNever, 0};
    case 1:
    case 2:
      return {sim::ResetKind::kAtTime, when_us};
    case 3:
    case 4:
      return {sim::ResetKind::kAfterFirstByte, when_us / 10};
    default:
      return {sim::ResetKind::kImmediate, 0};
  }
}

sim::ReplyFault Fault(FuzzBytes& in) {
  sim::ReplyFault fault;
  fault.kind = static_cast<sim::ReplyFaultKind>(in.Next() % 8);
  fault.key = kKeys[in.Next() % std::size(kKeys)];
  fault.occurrence = in.Next() % 5;
  fault.bytes = in.Text(kMaxText);
  fault.piece_bytes = 1 + in.Next() % 3;
  fault.delay_ms = in.Next() * (fault.key == sim::kConnectKey ? kConnectDelayUnitMs : 1);
  return fault;
}

sim::Scenario ScenarioOf(FuzzBytes& in) {
  sim::Scenario scenario;
  const std::uint8_t mode = in.Next();
  scenario.reset = Reset(in);
  if ((mode & 0x02) != 0) scenario.reset_noise = in.Text(kMaxText);
  if ((mode & 0x04) != 0) scenario.cut_after_bytes = 1 + in.Next() % kCutRange;
  if ((mode & 0x01) != 0) {
    // Raw: replies at chosen occurrences are whatever the fuzz bytes say.
    const int count = in.Next() % (kMaxReplyFaults + 1);
    for (int i = 0; i < count; ++i) {
      sim::ReplyFault fault;
      fault.kind = sim::ReplyFaultKind::kReplace;
      fault.key = kKeys[in.Next() % std::size(kKeys)];
      fault.occurrence = in.Next() % 5;
      fault.bytes = in.Text(kMaxText);
      scenario.reply_faults.push_back(fault);
    }
  } else {
    const int count = in.Next() % (kMaxFaults + 1);
    for (int i = 0; i < count; ++i) scenario.reply_faults.push_back(Fault(in));
  }
  return scenario;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzBytes in(data, size);
  const sim::Scenario scenario = ScenarioOf(in);
  // The operator presses start somewhere in the first 2.5 s, before or after the reset.
  const std::uint64_t start_press_ms = 10 + std::uint64_t{in.Next()} * 10;
  const WholeRun run = RunWholeProgram(scenario, start_press_ms);
  const std::vector<std::string> violations = CheckWholeRun(run);
  if (!violations.empty()) {
    std::fprintf(stderr, "%s", DescribeRun(scenario, run, violations).c_str());
    std::abort();
  }
  return 0;
}

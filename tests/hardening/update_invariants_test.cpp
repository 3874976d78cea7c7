// The invariant checker against hand-played exchanges: a clean update passes, and each way of
// breaking an invariant is named.
#include "tests/support/update_invariants.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/sim/device_session.h"

namespace trelvin2 {
namespace {

using Sends = std::vector<std::string>;

// The tool's side of a successful update, one entry per command.
Sends SuccessfulSends() {
  Sends sends;
  for (const auto& step : sim::SuccessfulUpdate(8, 0)) sends.push_back(step.first);
  return sends;
}

ToolOutcome Succeeded() { return {kSuccessText, {}, true, 0, 5'000'000, std::nullopt}; }
ToolOutcome FailedWith(const char* status) { return {status, {}, true, 0, 2'000'000, 2'000'000}; }
ToolOutcome NoLoader() {
  ToolOutcome outcome = FailedWith(kNoLoaderText);
  outcome.message_boxes = {{kNoLoaderBoxTitle, kNoLoaderBoxText}};
  outcome.update_duration_us = 31'000'000;
  return outcome;
}

// Plays the tool's sends against the model, each followed by the time its reply needs.
WireRecord Played(const std::vector<std::string>& faults, const Sends& sends) {
  sim::Scenario scenario;
  std::string error;
  for (const std::string& fault : faults) EXPECT_TRUE(sim::AddFault(fault, scenario, error));
  sim::DeviceSession session(scenario);
  for (const std::string& bytes : sends) session.Talk(bytes);
  return {session.model.Transcript(), sim::kByteTimeUs};
}

TEST(UpdateInvariants, AWholeSuccessfulUpdateKeepsThemAll) {
  EXPECT_EQ(JoinViolations(CheckUpdate(Played({}, SuccessfulSends()), Succeeded())), "");
}

TEST(UpdateInvariants, AStrayByteAfterTheLastWriteDoesNotSpoilAnEarnedSuccess) {
  // The tool reads "W!" and sends "S"; the stray byte is never read.
  EXPECT_EQ(JoinViolations(CheckUpdate(Played({"extra:W#3=x"}, SuccessfulSends()), Succeeded())),
            "");
}

TEST(UpdateInvariants, AFailureThatStopsAtTheRefusalKeepsThemAll) {
  Sends sends = SuccessfulSends();
  sends.resize(5);  // D, code, the erase's A and C, block 1's B: refused
  EXPECT_EQ(
      JoinViolations(CheckUpdate(Played({"reply:B#1=B?"}, sends), FailedWith(kUpdateFailedText))),
      "");
}

struct BrokenCase {
  const char* name;
  std::vector<std::string> faults;
  std::function<void(Sends&)> change_sends;  // what the tool sent instead
  std::function<void(ToolOutcome&)> change_outcome;
  const char* expected;  // part of the violation named
};
void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class BrokenInvariant : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenInvariant, IsNamed) {
  const BrokenCase& c = GetParam();
  Sends sends = SuccessfulSends();
  ToolOutcome outcome = Succeeded();
  if (c.change_sends) c.change_sends(sends);
  if (c.change_outcome) c.change_outcome(outcome);
  const std::string violations = JoinViolations(CheckUpdate(Played(c.faults, sends), outcome));
  EXPECT_NE(violations.find(c.expected), std::string::npos) << violations;
}

const auto kToFailure = [](const char* status) {
  return [status](ToolOutcome& outcome) { outcome = FailedWith(status); };
};

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenInvariant,
    testing::Values(BrokenCase{"SuccessAfterARefusedWrite",
                               {"reply:W#3=W?"},
                               nullptr,
                               nullptr,
                               "success claimed (message shown, \"S\" sent)"},
                    BrokenCase{"SuccessMessageWithoutTheLastAcknowledgement",
                               {"reply:W#3=W?"},
                               [](Sends& s) { s.pop_back(); },
                               nullptr,
                               "success claimed (message shown, no \"S\")"},
                    BrokenCase{"StartByteWithoutSuccessMessage",
                               {},
                               nullptr,
                               kToFailure(kUpdateFailedText),
                               "\"S\" went out but the success message"},
                    BrokenCase{"AddressBeyondTheRecord",
                               {},
                               [](Sends& s) { s[s.size() - 3] = sim::AddressCommand(0x1D58); },
                               nullptr,
                               "block 3's A carries the address 0x1D58"},
                    BrokenCase{"EraseOfAnotherRow",
                               {},
                               [](Sends& s) { s[2] = sim::AddressCommand(0x1D00); },
                               nullptr,
                               "the erase's A carries the address 0x1D00"},
                    BrokenCase{"WriteWithoutAcknowledgedBuffer",
                               {"reply:B#1=B?"},
                               [](Sends& s) { s.resize(7); },
                               kToFailure(kUpdateFailedText),
                               "block 1's A went out after block 1's B was answered \"B?\""},
                    BrokenCase{"EraseAfterRefusedAddress",
                               {"case:A#1"},
                               [](Sends& s) { s.resize(4); },
                               kToFailure(kEraseFailedText),
                               "the erase's C went out after the erase's A was answered \"a!\""},
                    BrokenCase{"SecurityCodeWithoutConnectReply",
                               {"silence"},
                               [](Sends& s) { s.resize(2); },
                               kToFailure(kCodeRefusedText),
                               "the security code went out, but the loader had not answered"},
                    BrokenCase{"NotADBeforeTheLoaderAnswered",
                               {"silence"},
                               [](Sends& s) {
                                 s = {"D", "A"};
                               },
                               kToFailure(kNoLoaderText),
                               "byte 2 from the tool is 0x41 where the security code was due"},
                    BrokenCase{"ByteAfterTheCloseRequest",
                               {"silence"},
                               [](Sends& s) {
                                 s = {"D", "D"};
                               },
                               [](ToolOutcome& o) {
                                 o = NoLoader();
                                 o.close_request_us = 100'000;  // between the two connect attempts
                               },
                               "byte 0x44 went out after the close request"},
                    BrokenCase{"ConnectFailureWithAnotherMessage",
                               {"silence"},
                               [](Sends& s) { s = {"D"}; },
                               [](ToolOutcome& o) {
                                 o = NoLoader();
                                 o.final_status = kUpdateFailedText;
                               },
                               "not the fixed message of the phase"},
                    BrokenCase{"ConnectFailureWithoutTheMessageBox",
                               {"silence"},
                               [](Sends& s) { s = {"D"}; },
                               [](ToolOutcome& o) {
                                 o = NoLoader();
                                 o.message_boxes.clear();
                               },
                               "no message box"},
                    BrokenCase{"UpdateBeyondItsTimeLimit",
                               {},
                               nullptr,
                               [](ToolOutcome& o) { o.update_duration_us = kUpdateLimitUs + 1; },
                               "beyond its limit"},
                    BrokenCase{"ProgramThatNeverEnds",
                               {},
                               nullptr,
                               [](ToolOutcome& o) { o.ended = false; },
                               "did not end"},
                    BrokenCase{"ExitStatusOtherThanZero",
                               {},
                               nullptr,
                               [](ToolOutcome& o) { o.exit_status = 1; },
                               "exit status 1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2

// trelvin2-sim's command line: the reset plans and what overrides what.
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace trelvin2::sim {
namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
  args.insert(args.begin(), "trelvin2-sim");
  return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimOptions, ResetPlans) {
  struct Case {
    std::vector<const char*> args;
    ResetKind kind;
    std::uint64_t time_us;
    bool reset_on_key;
  };
  const Case cases[] = {
      {{}, ResetKind::kAfterFirstByte, 2'000'000, false},
      {{"--reset-after", "350"}, ResetKind::kAfterFirstByte, 350'000, false},
      {{"--reset-now"}, ResetKind::kImmediate, 0, false},
      {{"--reset-on-key"}, ResetKind::kNever, 0, true},
      {{"--reset-on-key", "--reset-now"}, ResetKind::kImmediate, 0, true},
      // A silent device is one nobody resets, not even by key.
      {{"--reset-on-key", "--fault", "silence"}, ResetKind::kNever, 0, false},
      {{"--fault", "silence", "--reset-now"}, ResetKind::kNever, 0, false},
  };
  for (const Case& c : cases) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(Parse(c.args, options, error)) << error;
    EXPECT_EQ(options.scenario.reset.kind, c.kind);
    EXPECT_EQ(options.scenario.reset.time_us, c.time_us);
    EXPECT_EQ(options.reset_on_key, c.reset_on_key);
  }
}

TEST(SimOptions, RefusesWhatMakesNoSense) {
  const std::vector<std::vector<const char*>> bad = {
      {"--reset-after"},
      {"--reset-after", "2s"},
      {"--reset-after", "-1"},
      // 18446744073709552 ms would wrap to 384 us once counted in microseconds.
      {"--reset-after", "18446744073709552"},
      {"--reset-after", "86400001"},
      {"--devices", "0"},
      {"--devices", "-3"},
      {"--devices", "100001"},
      {"--devices", "3", "--flash", "memory.bin"},
      {"--fault", "reply:Q"},
      {"--bogus"},
      {"--link"}};
  for (const auto& args : bad) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, options, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace trelvin2::sim

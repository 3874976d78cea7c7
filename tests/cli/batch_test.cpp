// --repeat: one unit after another on a production line, each with its numbered result line (and
// JSON object), a failed unit reported without ending the batch, a summary at the end.
#include <gtest/gtest.h>

#include "app/cli/exit_status.h"
#include "tests/cli/cli_fixture.h"
#include "tests/scenario/scenario_setup.h"

namespace trelvin2 {
namespace {

using Request = ConsoleEvents::Request;

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           std::string_view prefix) {
  std::vector<std::string> found;
  for (const auto& line : lines) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

TEST(Batch, ThreeUnitsAsJsonLines) {
  CliBench bench(3);
  // The line stays quiet for 3 s after a unit's "S": its firmware has started.
  std::vector<std::uint64_t> start_byte_us, first_call_us;
  bench.line.on_unit_done = [&](const sim::DeviceModel& unit) {
    start_byte_us.push_back(unit.Transcript().back().time_us);
  };
  bench.line.on_write = [&](std::uint64_t bytes) {
    if (bytes == 1) first_call_us.push_back(bench.clock.NowUs());
  };
  EXPECT_EQ(bench.Run({"--port", "com1", "--baud", "19200", "--framing", "8E1", "--repeat", "3",
                       "--json"}),
            kExitSuccess);

  // Standard output holds the JSON objects and nothing else.
  const auto json = bench.OutLines();
  ASSERT_EQ(json.size(), 3u);
  for (int unit = 1; unit <= 3; ++unit) {
    const std::string& line = json[unit - 1];
    // The seconds depend on where in its millisecond the unit began: take them as they are.
    const std::size_t seconds_at = line.find("\"reset_to_start_s\":") + 19;
    const std::size_t seconds_end = line.find(',', seconds_at);
    const double seconds = std::stod(line.substr(seconds_at, seconds_end - seconds_at));
    // A connect wait of 1100 ms, the code's 10 ms wait and pauses of 66 ms, the exchanges.
    EXPECT_NEAR(seconds, 1.220, 0.002);
    EXPECT_EQ(line.substr(0, seconds_at) + "S" + line.substr(seconds_end),
              "{\"unit\":" + std::to_string(unit) +
                  ",\"result\":\"success\",\"exit_status\":0,\"port\":\"com1\","
                  "\"rate\":19200,\"framing\":\"8E1\",\"reset_to_start_s\":S,"
                  "\"time\":\"2026-12-10T15:00:00.000Z\"}");
  }
  const auto human = bench.ErrLines();
  EXPECT_EQ(LinesStartingWith(human, "Einheit 3: erfolgreich").size(), 1u);
  EXPECT_EQ(human.back(), "Einheiten: 3, davon fehlgeschlagen: 0");
  const auto firmware = bench.line.FirmwareLines();
  ASSERT_EQ(firmware.size(), 3u);
  for (const auto& line : firmware) EXPECT_EQ(line.rfind("firmware: 19200 baud 8E1 ", 0), 0u);
  ASSERT_EQ(start_byte_us.size(), 2u);
  ASSERT_EQ(first_call_us.size(), 3u);
  for (int unit = 0; unit < 2; ++unit) {
    // The transcript has "S" when it reached the device, one byte time after its write.
    EXPECT_GE(first_call_us[unit + 1] + sim::kByteTimeUs - start_byte_us[unit], 3'000'000u);
    EXPECT_LT(first_call_us[unit + 1] - start_byte_us[unit], 3'010'000u);
  }
  EXPECT_TRUE(bench.line.violations.empty()) << bench.line.violations.front();
}

TEST(Batch, ARefusedUnitIsReportedAndTheBatchGoesOn) {
  CliBench bench(
      3, [](int unit) { return unit == 2 ? ScenarioOf({"reply:W#2=W?"}) : sim::Scenario{}; });
  EXPECT_EQ(bench.Run({"--port", "com1", "--repeat", "3", "--json"}), kExitProgramRefused);

  const auto json = bench.OutLines();
  ASSERT_EQ(json.size(), 3u);
  EXPECT_NE(json[0].find("\"result\":\"success\""), std::string::npos);
  EXPECT_NE(json[1].find("\"unit\":2,\"result\":\"program-refused\",\"exit_status\":7"),
            std::string::npos);
  EXPECT_NE(json[1].find("\"reset_to_start_s\":null"), std::string::npos);
  EXPECT_NE(json[2].find("\"unit\":3,\"result\":\"success\""), std::string::npos);
  EXPECT_EQ(bench.ErrLines().back(), "Einheiten: 3, davon fehlgeschlagen: 1");

  const auto firmware = bench.line.FirmwareLines();
  ASSERT_EQ(firmware.size(), 3u);
  EXPECT_NE(firmware[0], "");
  EXPECT_EQ(firmware[1], "");  // the refused unit never got "S"
  EXPECT_NE(firmware[2], "");
}

TEST(Batch, AWaitWithoutAUnitIsNoUnit) {
  // Unit 2 comes 45 s after the tool began calling it: one 30-second connect phase runs dry.
  CliBench bench(2, [](int unit) {
    return unit == 2 ? ScenarioOf({}, ResetAfterFirstCall(45'000)) : sim::Scenario{};
  });
  EXPECT_EQ(bench.Run({"--port", "com1", "--repeat", "2"}), kExitSuccess);

  const auto lines = bench.OutLines();
  EXPECT_EQ(LinesStartingWith(lines, "Keine Einheit innerhalb von 30 s").size(), 1u);
  EXPECT_EQ(LinesStartingWith(lines, "Einheit 2: erfolgreich").size(), 1u);
  EXPECT_TRUE(LinesStartingWith(lines, "Einheit 3").empty());
  EXPECT_EQ(lines.back(), "Einheiten: 2, davon fehlgeschlagen: 0");
  EXPECT_EQ(bench.line.FirmwareLines().size(), 2u);
}

TEST(Batch, EndOfInputEndsItBetweenUnits) {
  CliBench bench(0);
  bench.line.on_write = [&](std::uint64_t) {
    if (bench.line.UnitNumber() == 3) bench.events.RequestNow(Request::kEndOfInput);
  };
  EXPECT_EQ(bench.Run({"--port", "com1", "--repeat"}), kExitSuccess);
  const auto lines = bench.OutLines();
  EXPECT_EQ(lines.back(), "Einheiten: 2, davon fehlgeschlagen: 0");
  EXPECT_EQ(bench.line.FirmwareLines().size(), 2u);
}

TEST(Batch, WithoutRepeatOneUnitOnly) {
  CliBench bench(0);
  EXPECT_EQ(bench.Run({"--port", "com1"}), kExitSuccess);
  EXPECT_EQ(bench.line.UnitNumber(), 1);
  EXPECT_TRUE(LinesStartingWith(bench.OutLines(), "Einheiten:").empty());
}

}  // namespace
}  // namespace trelvin2

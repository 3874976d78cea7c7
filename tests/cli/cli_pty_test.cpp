// trelvin2-cli against trelvin2-sim on a pseudo-terminal, in real time: one unit, a batch of three
// as JSON lines, a refused unit reported while the batch goes on, and Ctrl-C as a real signal.
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/cli/cli_child.h"
#include "tests/support/sim_child.h"

namespace trelvin2 {
namespace {

using namespace std::chrono_literals;

// A unit takes a little over a second against a device answering at once, three in a row under
// 5 s; these limits are for a loaded 2-core machine and only end a stuck run.
constexpr auto kRunLimit = 60s;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// A JSON object of the flat kind the CLI writes: keys and values, strings without escapes.
bool LooksLikeFlatJson(const std::string& line) {
  if (line.size() < 2 || line.front() != '{' || line.back() != '}') return false;
  int quotes = 0;
  for (char c : line) quotes += c == '"';
  return quotes % 2 == 0 && line.find("\"unit\":") == 1;
}

TEST(CliRealTime, OneUnit) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--once"}, PtyLink::kNone);  // reset 2 s after the first "D"
  ASSERT_TRUE(sim.Ready());
  CliChild cli(TRELVIN2_CLI_PROGRAM,
               {"--port", sim.PtyPath(), "--baud", "19200", "--framing", "8E1"});
  EXPECT_EQ(cli.Wait(kRunLimit), 0) << cli.Err();
  const auto lines = Lines(cli.Out());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Einheit 1: erfolgreich (19200 Baud 8E1, ", 0), 0u) << cli.Out();
  sim.ReadRest(10s);
  EXPECT_EQ(sim.Wait(10s), 0);
  EXPECT_NE(sim.Printed().find("\nfirmware: 19200 baud 8E1 "), std::string::npos) << sim.Printed();
}

TEST(CliRealTime, ThreeUnitsAsJsonLines) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--devices", "3", "--reset-now"}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready());
  CliChild cli(TRELVIN2_CLI_PROGRAM,
               {"--port", sim.PtyPath(), "--baud", "9600", "--repeat", "3", "--json"});
  EXPECT_EQ(cli.Wait(kRunLimit), 0) << cli.Err();
  const auto json = Lines(cli.Out());
  ASSERT_EQ(json.size(), 3u) << cli.Out();
  for (int unit = 1; unit <= 3; ++unit) {
    const std::string& line = json[unit - 1];
    EXPECT_TRUE(LooksLikeFlatJson(line)) << line;
    EXPECT_EQ(line.rfind("{\"unit\":" + std::to_string(unit) + ",\"result\":\"success\"", 0), 0u)
        << line;
    EXPECT_NE(line.find("\"rate\":9600,\"framing\":\"8N1\""), std::string::npos) << line;
  }
  EXPECT_EQ(Lines(cli.Err()).back(), "Einheiten: 3, davon fehlgeschlagen: 0");
  sim.ReadRest(10s);
  EXPECT_EQ(sim.Wait(10s), 0);
  for (int unit = 1; unit <= 3; ++unit) {
    EXPECT_NE(sim.Printed().find("firmware " + std::to_string(unit) + ": 9600 baud 8N1 "),
              std::string::npos)
        << sim.Printed();
  }
}

TEST(CliRealTime, ARefusedUnitIsReportedAndTheBatchGoesOnUntilCtrlC) {
  // The simulator brings the next unit only after a started firmware; the refused unit stays on
  // the line, so the batch is seen going on to wait for unit 2, and Ctrl-C ends it there.
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--reset-now", "--fault", "reply:W#2=W?"}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready());
  CliChild cli(TRELVIN2_CLI_PROGRAM, {"--port", sim.PtyPath(), "--repeat", "--json"});
  ASSERT_TRUE(cli.WaitForErr("Einheit 2: Trelvin 2 anschließen", kRunLimit)) << cli.Err();
  cli.Signal(SIGINT);
  const auto signalled = std::chrono::steady_clock::now();
  EXPECT_EQ(cli.Wait(kRunLimit), 130) << cli.Err();
  // Ctrl-C in the connect wait ends the run within one of its 100-ms event waits.
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, 1s);

  const auto json = Lines(cli.Out());
  ASSERT_EQ(json.size(), 1u) << cli.Out();
  EXPECT_EQ(json[0].rfind("{\"unit\":1,\"result\":\"program-refused\",\"exit_status\":7,", 0), 0u)
      << json[0];
  const auto human = Lines(cli.Err());
  ASSERT_GE(human.size(), 2u);
  EXPECT_EQ(human[human.size() - 2], "Einheiten: 1, davon fehlgeschlagen: 1");
  EXPECT_EQ(human.back(), "Abgebrochen.");
  sim.Stop();
}

TEST(CliRealTime, AReaderThatGoesAwayDoesNotCutAUnitShort) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--once", "--reset-now"}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready());
  CliChild cli(TRELVIN2_CLI_PROGRAM, {"--port", sim.PtyPath(), "--baud", "4800"});
  cli.CloseOut();
  EXPECT_EQ(cli.Wait(kRunLimit), 0) << cli.Err();
  sim.ReadRest(10s);
  EXPECT_EQ(sim.Wait(10s), 0);
  EXPECT_NE(sim.Printed().find("\nfirmware: 4800 baud 8N1 "), std::string::npos) << sim.Printed();
}

TEST(CliRealTime, APortThatIsHeldIsRefused) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--reset-now"}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready());
  CliChild first(TRELVIN2_CLI_PROGRAM, {"--port", sim.PtyPath(), "--repeat"});
  // The first holds the port once it asks for the reset.
  for (int i = 0; i < 500 && first.Out().find("Reset oder") == std::string::npos; ++i) {
    first.Wait(20ms);
  }
  CliChild second(TRELVIN2_CLI_PROGRAM, {"--port", sim.PtyPath()});
  EXPECT_EQ(second.Wait(kRunLimit), 3) << second.Out() << second.Err();
  EXPECT_NE(second.Out().find("COM-Port konnte nicht geöffnet werden: "), std::string::npos);
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(kRunLimit), 143);
  sim.Stop();
}

}  // namespace
}  // namespace trelvin2

// What trelvin2-cli makes of its arguments: the settings window's codes for each rate and
// framing, and a usage error (status 2, a German line naming what is allowed) for anything else.
#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

#include "app/cli/exit_status.h"
#include "tests/cli/cli_fixture.h"

namespace trelvin2 {
namespace {

bool ComOrPath(std::string_view name) {
  return (name.size() == 4 && name.substr(0, 3) == "com") || name.find('/') != name.npos;
}

ParsedOptions Parse(const std::vector<std::string>& args) {
  return ParseCliOptions(args, ComOrPath);
}

struct UsageRow {
  const char* name;
  std::vector<std::string> args;
  std::string error;  // the line after "trelvin2-cli: "
};
void PrintTo(const UsageRow& row, std::ostream* os) { *os << row.name; }

class UsageErrors : public ::testing::TestWithParam<UsageRow> {};

TEST_P(UsageErrors, Status2AndTheLineNamingWhatIsAllowed) {
  CliBench bench;
  EXPECT_EQ(bench.Run(GetParam().args), kExitUsage);
  EXPECT_EQ(bench.ErrLines(),
            (std::vector<std::string>{"trelvin2-cli: " + GetParam().error,
                                      "trelvin2-cli --help zeigt alle Optionen."}));
  EXPECT_EQ(bench.out.str(), "");
  EXPECT_EQ(bench.line.Unit().Transcript().size(), 0u);  // nothing was sent
}

const std::string kRates = "erlaubt sind 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200";

// clang-format off
const UsageRow kUsageRows[] = {
  {"UnknownOption",   {"--port", "com1", "--speed", "9600"}, "unbekannte Option --speed"},
  {"StrayArgument",   {"com1"},                              "unbekannte Option com1"},
  {"BadRate",         {"--port", "com1", "--baud", "9601"},  "--baud 9601: " + kRates},
  {"RateWithUnit",    {"--port", "com1", "--baud=9600bd"},   "--baud 9600bd: " + kRates},
  {"BadFraming",      {"--port", "com1", "--framing", "7E1"},
                      "--framing 7E1: erlaubt sind 8N1, 8E1, 8O1"},
  {"MissingPort",     {"--baud", "9600"},                    "--port fehlt: an welchem Port hängt das Trelvin 2?"},
  {"PortWithoutName", {"--port"},                            "--port braucht einen Wert"},
  {"EmptyPort",       {"--port="},                           "--port braucht einen Wert"},
  {"UnknownPortName", {"--port", "ttyUSB0"},
                      "--port ttyUSB0: erlaubt sind com1 bis com9 oder der Pfad eines seriellen Geräts"},
  {"RepeatZero",      {"--port", "com1", "--repeat", "0"},   "--repeat: die Anzahl der Einheiten ist eine ganze Zahl ab 1"},
  {"RepeatWord",      {"--port", "com1", "--repeat=many"},   "--repeat: die Anzahl der Einheiten ist eine ganze Zahl ab 1"},
  {"TraceWithoutFile",{"--port", "com1", "--trace"},         "--trace braucht einen Wert"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, UsageErrors, ::testing::ValuesIn(kUsageRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliOptions, ATraceFileThatCannotBeMadeIsAUsageError) {
  CliBench bench;
  EXPECT_EQ(bench.Run({"--port", "com1", "--trace", "/missing-folder/t.txt"}), kExitUsage);
  EXPECT_EQ(bench.err.str(),
            "trelvin2-cli: --trace /missing-folder/t.txt: die Datei kann nicht angelegt werden\n");
  EXPECT_EQ(bench.line.Unit().Transcript().size(), 0u);
}

TEST(CliOptions, EveryRateGivesItsPositionAsBaudCode) {
  const char* rates[] = {"300",   "1200",  "2400",  "4800",  "9600",
                         "19200", "38400", "57600", "115200"};
  for (int code = 0; code < 9; ++code) {
    const auto parsed = Parse({"--port", "com1", "--baud", rates[code]});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->settings.baud_code, code) << rates[code];
  }
}

TEST(CliOptions, FramingsGiveTheSettingsWindowsCodes) {
  const std::pair<const char*, int> framings[] = {{"8N1", 0}, {"8E1", 1}, {"8O1", 3}, {"8o1", 3}};
  for (const auto& [text, code] : framings) {
    const auto parsed = Parse({"--port=com1", "--framing=" + std::string(text)});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->settings.protocol_code, code) << text;
  }
}

TEST(CliOptions, DefaultsAreTheSettingsWindows) {
  const auto parsed = Parse({"--port", "/dev/serial/by-id/usb-FTDI-if00-port0"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->port, "/dev/serial/by-id/usb-FTDI-if00-port0");
  EXPECT_EQ(parsed.options->settings.baud_code, 8);
  EXPECT_EQ(parsed.options->settings.protocol_code, 0);
  EXPECT_FALSE(parsed.options->repeat);
}

TEST(CliOptions, RepeatWithAndWithoutCount) {
  auto parsed = Parse({"--repeat", "--port", "com1"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_TRUE(parsed.options->repeat);
  EXPECT_EQ(parsed.options->repeat_count, 0);
  parsed = Parse({"--port", "com1", "--repeat", "50", "--json"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->repeat_count, 50);
  EXPECT_TRUE(parsed.options->json);
}

TEST(CliOptions, HelpAndListPortsNeedNoPort) {
  CliBench bench;
  EXPECT_EQ(bench.Run({"--help"}), kExitSuccess);
  const std::string help = bench.out.str();
  for (const char* status : {"  0 ", "  2 ", "  3 ", "  4 ", "  5 ", "  6 ", "  7 ", "130 "}) {
    EXPECT_NE(help.find(status), std::string::npos) << status;
  }
  EXPECT_TRUE(Parse({"--list-ports"}).options.has_value());
}

}  // namespace
}  // namespace trelvin2

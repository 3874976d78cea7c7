// Which node each of com1 to com9 names, over a device folder of links and plain files.
#include "serial/posix/com_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include "tests/pty/temp_dir.h"

namespace trelvin2 {
namespace {

struct MappingCase {
  const char* name;
  std::vector<std::string> nodes;                            // plain files standing for nodes
  std::vector<std::pair<std::string, std::string>> aliases;  // link name, target
  std::vector<std::string> expected;                         // com1 onwards; "" for none
};

std::vector<MappingCase> MappingCases() {
  return {
      {"NothingThere", {}, {}, {}},
      {"LoneAdapterIsCom1", {"ttyUSB0"}, {}, {"ttyUSB0"}},
      {"UsbThenAcmThenS",
       {"ttyS1", "ttyS0", "ttyACM0", "ttyUSB1"},
       {},
       {"ttyUSB1", "ttyACM0", "ttyS0", "ttyS1"}},
      {"AcmBeforeS", {"ttyS0", "ttyACM3", "ttyACM1"}, {}, {"ttyACM1", "ttyACM3", "ttyS0"}},
      {"AliasKeepsItsNumberAndItsNodeIsNotListedTwice",
       {"ttyUSB0", "ttyUSB1"},
       {{"com1", "ttyUSB0"}},
       {"com1", "ttyUSB1"}},
      {"AliasToALaterNumberLeavesTheLowerOnesToNodes",
       {"ttyUSB0", "ttyS0", "ttyS1"},
       {{"com3", "ttyS0"}},
       {"ttyUSB0", "ttyS1", "com3"}},
      {"AliasThroughAnAbsolutePathIsRecognised",
       {"ttyUSB0", "ttyUSB1"},
       {{"com2", "@ttyUSB1"}},  // @: the target is given as an absolute path
       {"ttyUSB0", "com2"}},
      {"DanglingAliasIsNoAlias", {"ttyUSB0"}, {{"com1", "ttyUSB7"}}, {"ttyUSB0"}},
      {"OnlyNineNamesAndNoCom10",
       {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyS5", "ttyS6", "ttyS7", "ttyS8", "ttyS9",
        "ttyS31"},
       {{"com10", "ttyS9"}, {"com0", "ttyS9"}},
       {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyS5", "ttyS6", "ttyS7", "ttyS8"}},
      {"FamiliesEndWhereTheKernelsDo",
       {"ttyUSB10", "ttyACM10", "ttyS32", "ttyS31", "ttyXRUSB0"},
       {},
       {"ttyS31"}},
  };
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MappingCase& c, std::ostream* os) { *os << c.name; }

class ComNamesTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(ComNamesTest, MapsNamesToNodes) {
  const MappingCase& c = GetParam();
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  for (const std::string& node : c.nodes) std::ofstream(dir / node) << "";
  for (const auto& [link, target] : c.aliases) {
    const std::string to = target.front() == '@' ? dir / target.substr(1) : target;
    std::filesystem::create_symlink(to, dir / link);
  }

  ComNameMap expected;
  for (std::size_t i = 0; i < c.expected.size(); ++i) expected[i] = dir / c.expected[i];
  EXPECT_EQ(MapComNames(dir.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ComNamesTest, ::testing::ValuesIn(MappingCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComNames, AMissingFolderNamesNothing) {
  EXPECT_EQ(MapComNames("/nonexistent/trelvin2-devices"), ComNameMap{});
}

// The machine's serial console (a VM's ttyS0, say) is no bench port: it takes no number of its
// own, but an alias the user made for it still counts.
TEST(ComNames, TheSystemConsoleTakesNoNumberUnlessAliased) {
  TempDir dir;
  for (const char* node : {"ttyS0", "ttyS1"}) std::ofstream(dir / node) << "";
  const std::vector<std::string> console{std::filesystem::canonical(dir / "ttyS0").string()};
  ComNameMap expected;
  expected[0] = dir / "ttyS1";
  EXPECT_EQ(MapComNames(dir.path(), console), expected);

  std::filesystem::create_symlink("ttyS0", dir / "com2");
  expected[1] = dir / "com2";
  EXPECT_EQ(MapComNames(dir.path(), console), expected);
}

TEST(ComNames, ConsoleNodesReadsTheKernelsList) {
  TempDir dir;
  std::ofstream(dir / "active") << "tty0 ttyNONE\n";
  // /dev/tty0 exists on every Linux machine; a name without a node is left out.
  EXPECT_EQ(ConsoleNodes(dir / "active"), std::vector<std::string>{"/dev/tty0"});
  EXPECT_TRUE(ConsoleNodes(dir / "missing").empty());
}

}  // namespace
}  // namespace trelvin2

// Writing the configuration record: the wire bytes of the three blocks, the progress, each
// refusal with its message, and the arithmetic behind the progress step and the status text.
#include "loader/program_step.h"

#include <gtest/gtest.h>

#include "app/status_line.h"
#include "loader/firmware_image.h"
#include "tests/unit/main_window_bench.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr std::int16_t kStart = 0x1D40;
constexpr std::int16_t kEnd = 0x1D78;
const std::vector<std::string> kAllAcks = {"B!", "A!", "W!", "B!", "A!", "W!", "B!", "A!", "W!"};

// The exchange of one block: "B" and its data, "A" and the address, "W".
std::vector<std::uint8_t> BlockBytes(std::uint32_t address, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes;
  bytes.push_back('B');
  for (const std::uint8_t d : data) bytes.push_back(d);
  for (const std::uint8_t b :
       {std::uint8_t{'A'}, static_cast<std::uint8_t>(address),
        static_cast<std::uint8_t>(address >> 8), std::uint8_t{0x00}, std::uint8_t{'W'}}) {
    bytes.push_back(b);
  }
  return bytes;
}

std::vector<std::uint8_t> ImageBytes(int from, int count) {
  const auto image = FirmwareImage();
  return {image.begin() + from, image.begin() + from + count};
}

class ProgramStepTest : public ::testing::Test, protected MainWindowBench {
 protected:
  ProgramStepTest() {
    program.settings = {5, kProtocol8E1};  // 19200 baud, 8E1
    program.image_cursor.Rewind();
  }
  std::vector<std::uint8_t> FullExchange() const {
    std::vector<std::uint8_t> wire = BlockBytes(0x1D40, ImageBytes(0x1D40, 8));
    const auto second = BlockBytes(0x1D48, ImageBytes(0x1D48, 8));
    wire.insert(wire.end(), second.begin(), second.end());
    std::vector<std::uint8_t> settings = ImageBytes(0x1D50, 2);
    settings.insert(settings.end(), {program.settings.baud_code, program.settings.protocol_code,
                                     0x0A, 0x0A, 0x0A, 0x0A});
    const auto third = BlockBytes(0x1D50, settings);
    wire.insert(wire.end(), third.begin(), third.end());
    return wire;
  }
};

TEST_F(ProgramStepTest, FixedCallWritesTwoImageBlocksAndTheSettingsBlock) {
  link.AnswerCommands(kAllAcks);
  EXPECT_EQ(ProgramStep(program, kStart, kEnd), 1);
  EXPECT_EQ(link.WrittenBytes().size(), 42u);
  EXPECT_EQ(link.WrittenBytes(), FullExchange());
  EXPECT_EQ(Progress(), (std::vector<int>{0, 571, 1142, 1713}));
  EXPECT_EQ(toolkit.status_texts,
            std::vector<std::string>{"Schreibe Datenlock von 1D40  bis  1D78"});
  EXPECT_EQ(toolkit.FindControl(kStatusLine)->text_colour, std::nullopt);
  // every command and every data byte is a write of its own; the address is one of three
  EXPECT_EQ(link.writes.size(), 3u * (1 + 8 + 1 + 1 + 1));
}

TEST_F(ProgramStepTest, OnlyTheImageBytesFrom1D40To1D51LeaveTheTool) {
  program.settings = {2, kProtocol8O1};
  link.AnswerCommands(kAllAcks);
  ASSERT_EQ(ProgramStep(program, kStart, kEnd), 1);
  // the cursor took 0x1D40 to 0x1D51 and nothing else; the image's own codes at 0x1D52 and
  // 0x1D53 (8 and 0) stay behind, the operator's go out in their place
  EXPECT_EQ(program.image_cursor.Offset(), 0x1D52);
  const auto wire = link.WrittenBytes();
  EXPECT_EQ(std::vector<std::uint8_t>(wire.begin() + 28 + 1, wire.begin() + 28 + 1 + 4),
            (std::vector<std::uint8_t>{0x00, 0x56, 2, kProtocol8O1}));
}

struct RefusalCase {
  const char* name;
  int refused_reply;  // index into the nine acknowledgements of a full step
  const char* message;
  std::size_t bytes_sent;
  std::vector<int> progress;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class ProgramRefusalTable : public ProgramStepTest,
                            public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ProgramRefusalTable, RefusedCommandIsReportedAndStopsItsBlock) {
  const RefusalCase& c = GetParam();
  std::vector<std::string> replies(kAllAcks.begin(), kAllAcks.begin() + c.refused_reply);
  replies.push_back("X!");
  link.AnswerCommands(replies);
  EXPECT_EQ(ProgramStep(program, kStart, kEnd), 0);
  const auto full = FullExchange();
  EXPECT_EQ(link.WrittenBytes(), std::vector<std::uint8_t>(
                                     full.begin(), full.begin() + static_cast<long>(c.bytes_sent)));
  EXPECT_EQ(Progress(), c.progress);
  EXPECT_EQ(toolkit.status_texts,
            (std::vector<std::string>{"Schreibe Datenlock von 1D40  bis  1D78", c.message}));
  EXPECT_EQ(toolkit.FindControl(kStatusLine)->text_colour, kErrorRed);
}

constexpr const char* kNoBuffer = "Fehler beim Übertragen des Programms";
constexpr const char* kNoAddress = "Fehler während der Adressübertragung";
constexpr const char* kNoWrite = "Fehler beim Programmieren";

// A refused plain block ends the step: no later block, no progress for it. A refused command of
// the settings block still moves the bar to 1713.
INSTANTIATE_TEST_SUITE_P(
    Refusals, ProgramRefusalTable,
    ::testing::Values(RefusalCase{"FirstBuffer", 0, kNoBuffer, 9, {0}},
                      RefusalCase{"FirstAddress", 1, kNoAddress, 13, {0}},
                      RefusalCase{"FirstWrite", 2, kNoWrite, 14, {0}},
                      RefusalCase{"SecondBuffer", 3, kNoBuffer, 23, {0, 571}},
                      RefusalCase{"SecondAddress", 4, kNoAddress, 27, {0, 571}},
                      RefusalCase{"SecondWrite", 5, kNoWrite, 28, {0, 571}},
                      RefusalCase{"SettingsBuffer", 6, kNoBuffer, 37, {0, 571, 1142, 1713}},
                      RefusalCase{"SettingsAddress", 7, kNoAddress, 41, {0, 571, 1142, 1713}},
                      RefusalCase{"SettingsWrite", 8, kNoWrite, 42, {0, 571, 1142, 1713}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressStepTest, BarRangeOverTheBlocksRoundedHalvesAwayFromZero) {
  struct Row {
    std::int16_t start, end, step;
  };
  const Row rows[] = {
      {0x1D40, 0x1D78, 571},  // 7 blocks: 571.43
      {0, 8, 4000},
      {0, 24, 1333},
      {0, 48, 667},    // 666.67 rounds up
      {0, 4, 4000},    // half a block rounds up to one
      {0, 12, 2000},   // 1.5 blocks round to 2
      {0, 12800, 3},   // 1600 blocks: 2.5 rounds to 3
      {12800, 0, -3},  // and -2.5 to -3
      {0, 3, 0},       // rounds to no block: no division
      {0x1D40, 0x1D40, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.start << ".." << r.end);
    EXPECT_EQ(ProgressStep(r.start, r.end), r.step);
  }
}

TEST(ProgramStatusTextTest, AddressesInUpperCaseHexadecimalWithoutLeadingZeros) {
  struct Row {
    std::int16_t start, end;
    const char* text;
  };
  const Row rows[] = {
      {0x1D40, 0x1D78, "Schreibe Datenlock von 1D40  bis  1D78"},
      {0, 0x0AB, "Schreibe Datenlock von 0  bis  AB"},
      {0x0F, 0x7FFF, "Schreibe Datenlock von F  bis  7FFF"},
      {-1, 0x100, "Schreibe Datenlock von FFFF  bis  100"},  // the 16-bit pattern
  };
  for (const Row& r : rows) EXPECT_EQ(ProgramStatusText(r.start, r.end), r.text);
}

}  // namespace
}  // namespace trelvin2

// The line part of a mode text, as the Windows mode syntax reads it.
#include "serial/posix/line_settings.h"

#include <gtest/gtest.h>

namespace trelvin2 {
namespace {

TEST(ModeText, DeviceNameIsWhatComesBeforeTheFirstColon) {
  EXPECT_EQ(ModeDeviceName("com3:19200,n,8,1"), "com3");
  EXPECT_EQ(ModeDeviceName("com3"), "com3");
  EXPECT_EQ(ModeDeviceName(":19200,n,8,1"), "");
  EXPECT_EQ(ModeDeviceName("a:b:c"), "a");
}

struct ParseCase {
  const char* mode;
  bool parses;
  int baud;
  std::optional<Parity> parity;
  std::optional<int> data_bits;
  std::optional<StopBits> stop_bits;
};

TEST(ModeText, LineSettingsTable) {
  const ParseCase cases[] = {
      {"com1:19200,n,8,1", true, 19200, Parity::kNone, 8, StopBits::kOne},
      {"com1:9600,E,7,2", true, 9600, Parity::kEven, 7, StopBits::kTwo},
      {"com1:300,o,5,1.5", true, 300, Parity::kOdd, 5, StopBits::kOneAndHalf},
      {"com1:1200,m,8,1", true, 1200, Parity::kMark, 8, StopBits::kOne},
      {"com1:1200,s,6,1", true, 1200, Parity::kSpace, 6, StopBits::kOne},
      {"com1: 19200 , n , 8 , 1", true, 19200, Parity::kNone, 8, StopBits::kOne},
      {"com1:115200", true, 115200, std::nullopt, std::nullopt, std::nullopt},
      {"com1:19200,n", true, 19200, Parity::kNone, std::nullopt, std::nullopt},
      {"com1", false, 0, {}, {}, {}},
      {"com1:", false, 0, {}, {}, {}},
      {"com1:-19200,n,8,1", false, 0, {}, {}, {}},
      {"com1:19200baud", false, 0, {}, {}, {}},
      {"com1:19200,none,8,1", false, 0, {}, {}, {}},
      {"com1:19200,n,4,1", false, 0, {}, {}, {}},
      {"com1:19200,n,9,1", false, 0, {}, {}, {}},
      {"com1:19200,n,8,3", false, 0, {}, {}, {}},
      {"com1:19200,n,8,1,p", false, 0, {}, {}, {}},
      {"com1:19200,,8,1", false, 0, {}, {}, {}},
  };
  for (const ParseCase& c : cases) {
    const std::optional<LineSettings> s = ParseLineSettings(c.mode);
    ASSERT_EQ(s.has_value(), c.parses) << c.mode;
    if (!s) continue;
    EXPECT_EQ(s->baud, c.baud) << c.mode;
    EXPECT_EQ(s->parity, c.parity) << c.mode;
    EXPECT_EQ(s->data_bits, c.data_bits) << c.mode;
    EXPECT_EQ(s->stop_bits, c.stop_bits) << c.mode;
  }
}

// A pty forces 8 data bits and no parity, so the framing bits are checked on a termios here.
TEST(ModeText, FramingLandsInTheControlFlags) {
  struct Case {
    const char* mode;
    tcflag_t size;
    tcflag_t parity;  // PARENB | PARODD | CMSPAR as set
    bool applies;
  };
  const Case cases[] = {
      {"com1:19200,n,8,1", CS8, 0, true},
      {"com1:19200,e,7,1", CS7, PARENB, true},
      {"com1:19200,o,8,1", CS8, PARENB | PARODD, true},
      {"com1:19200,m,8,1", CS8, PARENB | PARODD | CMSPAR, true},
      {"com1:19200,s,8,1", CS8, PARENB | CMSPAR, true},
      {"com1:19200,n,5,1.5", CS5, 0, true},
      {"com1:19200,n,5,2", 0, 0, false},  // a UART has no 2 stop bits with 5 data bits
      {"com1:19200,n,8,1.5", 0, 0, false},
      {"com1:19201,n,8,1", 0, 0, false},
  };
  for (const Case& c : cases) {
    termios tio{};
    tio.c_cflag = CS7 | PARENB | CRTSCTS;
    tio.c_iflag = IXON | IXOFF | ICRNL;
    tio.c_lflag = ICANON | ECHO;
    const termios before = tio;
    const std::optional<LineSettings> s = ParseLineSettings(c.mode);
    ASSERT_TRUE(s.has_value()) << c.mode;
    ASSERT_EQ(ApplyLineSettings(*s, tio), c.applies) << c.mode;
    if (!c.applies) {
      EXPECT_EQ(tio.c_cflag, before.c_cflag) << c.mode;
      continue;
    }
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size) << c.mode;
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parity) << c.mode;
    EXPECT_FALSE(tio.c_cflag & CRTSCTS) << c.mode;
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL)) << c.mode;
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO)) << c.mode;
    EXPECT_EQ(tio.c_cc[VMIN], 1) << c.mode;
    EXPECT_EQ(tio.c_cc[VTIME], 0) << c.mode;
  }
}

}  // namespace
}  // namespace trelvin2

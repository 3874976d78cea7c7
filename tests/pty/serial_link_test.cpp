// The POSIX serial link on a pty: names, line settings as the device sees them, bytes waiting,
// writes, and handles that are not open.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>

#include "serial/posix/posix_serial_link.h"
#include "tests/pty/pty_pair.h"

namespace trelvin2 {
namespace {

constexpr const char* kLoaderMode = "com1:19200,n,8,1";
constexpr int kSettleLimitMs = 2000;  // a pty passes bytes within milliseconds; this is plenty

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  PortHandle Open(std::string_view mode = kLoaderMode) {
    return link.SerialOpen(mode, 0, 1024, 1024);
  }

  // What the device's end sees of the line: the master reports the slave's settings.
  termios PeerView() {
    termios tio{};
    EXPECT_EQ(tcgetattr(pty.master(), &tio), 0);
    return tio;
  }

  // Bytes waiting lag a moment behind the peer's write: look until the count is reached.
  std::int32_t WaitingOnceSettled(PortHandle port, std::int32_t expected) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleLimitMs);
    std::int32_t waiting = link.SerialBytesWaiting(port);
    while (waiting != expected && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      waiting = link.SerialBytesWaiting(port);
    }
    return waiting;
  }

  PtyPair pty;
  PosixSerialLink link{pty.device_dir(), pty.lock_dir()};
};

TEST_F(SerialLinkTest, NamesThatDoNotOpen) {
  ASSERT_TRUE(pty.LinkAs(pty.device_dir(), "com10"));
  for (const char* mode :
       {":19200,n,8,1", "", "com12345:19200,n,8,1", "com0:19200,n,8,1", "com10:19200,n,8,1",
        "com2:19200,n,8,1", "lpt1:19200,n,8,1", "com1x:19200,n,8,1"}) {
    EXPECT_EQ(Open(mode), 0) << mode;
  }
}

TEST_F(SerialLinkTest, OpensAtTheLoaderSettingsWithoutFlowControl) {
  ASSERT_NE(Open(), 0);
  const termios tio = PeerView();
  EXPECT_EQ(cfgetospeed(&tio), B19200);
  EXPECT_EQ(cfgetispeed(&tio), B19200);
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | IXANY));
  EXPECT_TRUE(tio.c_cflag & CLOCAL);
  EXPECT_TRUE(tio.c_cflag & CREAD);
  // raw: no line editing, echo, signals or output processing that would alter binary replies
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_FALSE(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
  EXPECT_FALSE(tio.c_oflag & OPOST);
}

TEST_F(SerialLinkTest, OtherLineSettingsAndOnesThatCannotApply) {
  // The line as another program left it: 4800 baud, canonical mode.
  termios before = PeerView();
  cfsetispeed(&before, B4800);
  cfsetospeed(&before, B4800);
  before.c_lflag |= ICANON;
  before.c_cflag &= ~CSTOPB;
  ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &before), 0);

  struct Case {
    const char* mode;
    speed_t speed;
    bool two_stop_bits;
    bool raw;
  };
  const Case cases[] = {
      {"com1:9600,n,8,2", B9600, true, true},
      {"COM1:115200,N,8,1", B115200, false, true},
      {"com1:115200", B115200, false, true},
      // cannot be parsed or applied: the port opens as it is
      {"com1", B4800, false, false},
      {"com1:fast,n,8,1", B4800, false, false},
      {"com1:19200,x,8,1", B4800, false, false},
      {"com1:19200,n,9,1", B4800, false, false},
      {"com1:19200,n,8,1.5", B4800, false, false},  // 1.5 stop bits need 5 data bits
      {"com1:12345,n,8,1", B4800, false, false},    // no such rate on Linux
  };
  for (const Case& c : cases) {
    ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &before), 0);
    const PortHandle port = Open(c.mode);
    ASSERT_NE(port, 0) << c.mode;
    const termios tio = PeerView();
    EXPECT_EQ(cfgetospeed(&tio), c.speed) << c.mode;
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.two_stop_bits) << c.mode;
    EXPECT_EQ((tio.c_lflag & ICANON) == 0, c.raw) << c.mode;
    link.SerialClose(port);
  }
}

TEST_F(SerialLinkTest, BytesWaitingCountsArrivalsAndDropsByWhatIsRead) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  EXPECT_EQ(link.SerialBytesWaiting(port), 0);
  ASSERT_EQ(write(pty.master(), "L!xyz", 5), 5);
  EXPECT_EQ(WaitingOnceSettled(port, 5), 5);

  std::array<std::uint8_t, 2> reply{};
  EXPECT_EQ(link.SerialRead(port, reply.data(), 2), 1);
  EXPECT_EQ(reply, (std::array<std::uint8_t, 2>{'L', '!'}));
  EXPECT_EQ(WaitingOnceSettled(port, 3), 3);
}

TEST_F(SerialLinkTest, WritesReachThePeerUnchanged) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  // binary, with the bytes a cooked line would alter: CR, LF, XOFF, XON, DEL, Ctrl-C
  const std::array<std::uint8_t, 8> bytes{'B', 0x0D, 0x0A, 0x13, 0x11, 0x7F, 0x03, 0xFF};
  EXPECT_EQ(link.SerialWrite(port, bytes.data(), static_cast<std::int32_t>(bytes.size())), 1);
  EXPECT_EQ(pty.ReadMaster(bytes.size(), kSettleLimitMs),
            std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  EXPECT_EQ(link.SerialWrite(port, bytes.data(), 0), 1);
}

TEST_F(SerialLinkTest, WriteIntoAFullQueueGivesUpAtItsLimit) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  // The peer reads nothing, so the pty's buffers fill; a bounded number of tries gets there.
  constexpr int kMoreThanAnyPtyBuffers = 1 << 20;
  const std::uint8_t byte = 'x';
  int tries = 0;
  auto began = std::chrono::steady_clock::now();
  int result = 1;
  while (result == 1 && tries < kMoreThanAnyPtyBuffers) {
    began = std::chrono::steady_clock::now();
    result = link.SerialWrite(port, &byte, 1);
    ++tries;
  }
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
  EXPECT_EQ(result, 0);
  EXPECT_GE(took.count(), 110);  // 10 + 100 x 1 ms
  EXPECT_LE(took.count(), 110 + 150);
}

TEST_F(SerialLinkTest, AVanishedPeerFailsReadsAndWrites) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  pty.CloseMaster();
  std::uint8_t byte = 'x';
  EXPECT_EQ(link.SerialWrite(port, &byte, 1), 0);
  EXPECT_EQ(link.SerialRead(port, &byte, 1), 0);
  EXPECT_EQ(link.SerialBytesWaiting(port), 0);
}

TEST_F(SerialLinkTest, HandlesThatAreNotOpenDoNothing) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  link.SerialClose(port);
  std::uint8_t byte = 0x42;
  for (const PortHandle handle : {PortHandle{0}, port, port + 1, PortHandle{-1}}) {
    EXPECT_EQ(link.SerialWrite(handle, &byte, 1), 0) << handle;
    EXPECT_EQ(link.SerialRead(handle, &byte, 1), 0) << handle;
    EXPECT_EQ(link.SerialBytesWaiting(handle), 0) << handle;
    link.SerialClose(handle);
  }
  EXPECT_EQ(byte, 0x42);
  EXPECT_EQ(pty.ReadMaster(1, 50), "");
  // A new port gets a new handle: the old one stays dead.
  const PortHandle again = Open();
  ASSERT_NE(again, 0);
  EXPECT_NE(again, port);
  EXPECT_EQ(link.SerialWrite(port, &byte, 1), 0);
}

TEST_F(SerialLinkTest, DescribesAPortByTheNodeItStandsFor) {
  EXPECT_EQ(link.DescribePort("com1"), pty.slave_path());
  EXPECT_EQ(link.DescribePort("com2"), "");
  EXPECT_EQ(link.DescribePort("lpt1"), "");
}

}  // namespace
}  // namespace trelvin2

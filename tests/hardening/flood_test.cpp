// A device that floods the line during the connect wait: the tool reads and drops every byte one
// at a time, keeps none of them, and still connects once the flood is over. Its own executable,
// since it counts the heap allocations of the whole process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/fuzz/whole_program_run.h"

namespace {

std::atomic<std::size_t> allocated_bytes{0};

}  // namespace

void* operator new(std::size_t size) {
  allocated_bytes += size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocated_bytes += size;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace trelvin2 {
namespace {

// More than any receive queue holds: a megabyte.
constexpr std::int32_t kFloodBytes = 1 << 20;
constexpr std::uint8_t kFloodByte = 0x55;  // alternating bits, as a line left floating picks up

// Between the program and the simulated device: once the tool has sent its first connect
// command, a megabyte of bytes is waiting on top of whatever the device sends.
class FloodingLink : public SerialLink {
 public:
  explicit FloodingLink(SerialLink& inner) : inner_(inner) {}

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake, std::int32_t rx,
                        std::int32_t tx) override {
    return inner_.SerialOpen(mode_text, handshake, rx, tx);
  }
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override {
    if (!flooded_ && length == 1 && bytes[0] == 'D') {
      flooded_ = true;
      flood_left = kFloodBytes;
    }
    return inner_.SerialWrite(port, bytes, length);
  }
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override {
    if (length == 1) ++one_byte_reads;
    if (flood_left > 0 && length > 0) {
      const std::int32_t n = std::min(length, flood_left);
      std::fill(buffer, buffer + n, kFloodByte);
      flood_left -= n;
      return 1;
    }
    return inner_.SerialRead(port, buffer, length);
  }
  std::int32_t SerialBytesWaiting(PortHandle port) override {
    const std::int32_t waiting = inner_.SerialBytesWaiting(port) + flood_left;
    most_waiting = std::max(most_waiting, waiting);
    return waiting;
  }
  void SerialClose(PortHandle port) override { inner_.SerialClose(port); }

  std::int32_t flood_left = 0;
  std::int64_t one_byte_reads = 0;
  std::int32_t most_waiting = 0;

 private:
  SerialLink& inner_;
  bool flooded_ = false;
};

TEST(Flood, AMegabyteDuringTheConnectWaitIsDroppedByteForByteAndKeptNowhere) {
  std::optional<FloodingLink> flooding;
  const LinkWrapper wrap = [&](SerialLink& simulated) -> SerialLink& {
    return flooding.emplace(simulated);
  };
  const std::size_t allocated_before = allocated_bytes;
  const WholeRun run = RunWholeProgram({}, kStartPressMs, wrap);
  const std::size_t allocated = allocated_bytes - allocated_before;

  EXPECT_EQ(JoinViolations(CheckWholeRun(run)), "");
  // The first attempt finds the flood and the loader's reply together and drops both; the
  // second attempt connects, so nothing of the flood was left behind.
  EXPECT_EQ(run.outcome.final_status, kSuccessText);
  EXPECT_EQ(flooding->most_waiting, kFloodBytes + 5);
  const std::int64_t ack_reads = 2 + 2 * 2 + 9 * 2;  // security code, erase, three blocks
  EXPECT_EQ(flooding->one_byte_reads, kFloodBytes + 5 + 5 + ack_reads);
  // The whole run, test harness and device model included, allocates far less than the flood.
  EXPECT_LT(allocated, static_cast<std::size_t>(kFloodBytes) / 4);
}

}  // namespace
}  // namespace trelvin2

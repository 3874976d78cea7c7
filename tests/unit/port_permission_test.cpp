// A port the operator may not open is named in the port window, with the group that may; the
// message for a machine without ports stays for that case alone.
#include <gtest/gtest.h>

#include <map>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "tests/support/fake_serial_link.h"
#include "tests/support/memory_toolkit.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The fake link, plus names whose open this user is not allowed.
class DenyingLink : public FakeSerialLink {
 public:
  std::map<std::string, AccessDenial> denied;  // by device name, e.g. "com1"

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake, std::int32_t receive,
                        std::int32_t transmit) override {
    const auto found = denied.find(std::string(mode_text.substr(0, mode_text.find(':'))));
    last_ = found == denied.end() ? AccessDenial{} : found->second;
    return FakeSerialLink::SerialOpen(mode_text, handshake, receive, transmit);
  }
  AccessDenial LastAccessDenial() override { return last_; }

 private:
  AccessDenial last_;
};

struct PermissionCase {
  const char* name;
  std::set<std::string> free;
  std::map<std::string, SerialLink::AccessDenial> denied;
  std::vector<std::string> listed;
  std::string message;
};
void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.name; }

class PortPermission : public ::testing::TestWithParam<PermissionCase> {};

TEST_P(PortPermission, TheMessageNamesTheNodeAndItsGroup) {
  const PermissionCase& c = GetParam();
  VirtualClock clock;
  MemoryToolkit toolkit(clock);
  DenyingLink link;
  link.free_ports = c.free;
  link.denied = c.denied;
  Program program(toolkit, link, clock);
  StartUp(program);
  OpenPortWindow(program);
  PortDiscovery(program);
  EXPECT_EQ(toolkit.FindControl(kPortList)->items, c.listed);
  EXPECT_EQ(toolkit.Text(kPortMessageControl), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortPermission,
    ::testing::Values(
        PermissionCase{"NoPortsAtAll", {}, {}, {}, "Kein COM-PORT installiert!!"},
        PermissionCase{"OnlyADeniedAdapter",
                       {},
                       {{"com1", {"/dev/ttyUSB0", "dialout"}}},
                       {},
                       "Kein Zugriff auf ttyUSB0 (Gruppe dialout)"},
        // The first denied node is named: the adapters come before the built-in UARTs.
        PermissionCase{"TwoDenied",
                       {},
                       {{"com1", {"/dev/ttyUSB0", "dialout"}}, {"com2", {"/dev/ttyS0", "uucp"}}},
                       {},
                       "Kein Zugriff auf ttyUSB0 (Gruppe dialout)"},
        // Whether or not others are free: the denied one may be the device's.
        PermissionCase{"ADeniedOneBesideAFreeOne",
                       {"com2"},
                       {{"com1", {"/dev/ttyUSB0", "dialout"}}},
                       {"com2"},
                       "Kein Zugriff auf ttyUSB0 (Gruppe dialout)"},
        PermissionCase{"AGroupWithoutAName",
                       {},
                       {{"com1", {"/dev/ttyUSB0", ""}}},
                       {},
                       "Kein Zugriff auf ttyUSB0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2

// The hint beside a port in the list: Windows' friendly name without the "(COMn)" it carries.
#include "serial/win32/port_names.h"

#include <gtest/gtest.h>

namespace trelvin2 {
namespace {

TEST(PortNames, TheSuffixNamingThePortItselfGoes) {
  struct Case {
    const char* friendly;
    const char* device;
    const char* hint;
  };
  for (const Case& c : {
           Case{"USB Serial Port (COM3)", "com3", "USB Serial Port"},
           Case{"Prolific USB-to-Serial Comm Port (com3)", "COM3",
                "Prolific USB-to-Serial Comm Port"},
           Case{"Kommunikationsanschluss (COM1)", "com1", "Kommunikationsanschluss"},
           Case{"USB Serial Port (COM12)", "com1", "USB Serial Port (COM12)"},  // another port's
           Case{"Adapter (rev 2)", "com1", "Adapter (rev 2)"},
           Case{"Adapter", "com1", "Adapter"},
           Case{"", "com1", ""},
       }) {
    EXPECT_EQ(WithoutPortSuffix(c.friendly, c.device), c.hint) << c.friendly;
  }
}

TEST(PortNames, APortWithoutADeviceEntryHasNoHint) {
  // Wine lists its mapped ports in no device class; nor does Windows a redirected port.
  EXPECT_EQ(PortFriendlyName("com9"), "");
}

}  // namespace
}  // namespace trelvin2

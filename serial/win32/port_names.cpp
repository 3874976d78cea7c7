#include "serial/win32/port_names.h"

// windows.h first: the other system headers build on it.
#include <windows.h>
// clang-format off
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <cctype>
#include <cwctype>
#include <vector>

namespace trelvin2 {
namespace {

bool SameIgnoringCase(std::wstring_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

// The "PortName" value in the device's own registry key ("COM3").
std::wstring PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t value[32] = {};  // "COM256" and a terminator fit many times over
  DWORD type = 0;
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG status =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return {};
  return value;
}

std::wstring FriendlyNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  DWORD size = 0;
  SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr, nullptr, 0,
                                    &size);
  if (size == 0) return {};
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                         reinterpret_cast<BYTE*>(text.data()), size, nullptr)) {
    return {};
  }
  return text.data();
}

}  // namespace

std::string WithoutPortSuffix(std::string friendly_name, std::string_view device_name) {
  const std::string::size_type open = friendly_name.rfind(" (");
  if (open == std::string::npos || friendly_name.back() != ')') return friendly_name;
  const std::string_view inside =
      std::string_view(friendly_name).substr(open + 2, friendly_name.size() - open - 3);
  if (inside.size() != device_name.size()) return friendly_name;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(inside[i])) !=
        std::tolower(static_cast<unsigned char>(device_name[i]))) {
      return friendly_name;
    }
  }
  friendly_name.erase(open);
  return friendly_name;
}

std::string PortFriendlyName(std::string_view device_name) {
  HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD i = 0; found.empty() && SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
    if (SameIgnoringCase(PortNameOf(devices, device), device_name)) {
      found = FriendlyNameOf(devices, device);
    }
  }
  SetupDiDestroyDeviceInfoList(devices);
  return WithoutPortSuffix(Utf8(found), device_name);
}

}  // namespace trelvin2

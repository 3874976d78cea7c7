#include "app/posix/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace trelvin2 {
namespace {

constexpr const char* kNoDisplay =
    "trelvin2-rs232 braucht eine Desktop-Sitzung, aber es ist keine Anzeige erreichbar "
    "(no display): ";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The X server named by DISPLAY answers and lets us in (xcb reads DISPLAY and XAUTHORITY the
// way Qt's xcb platform does).
bool XServerAnswers() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = connection != nullptr && xcb_connection_has_error(connection) == 0;
  if (connection != nullptr) xcb_disconnect(connection);
  return ok;
}

// A Wayland compositor listens on the socket WAYLAND_DISPLAY names.
bool WaylandAnswers() {
  std::string socket_path = Env("WAYLAND_DISPLAY");
  if (socket_path.empty()) socket_path = "wayland-0";  // the compositors' default
  if (socket_path.front() != '/') {
    const std::string runtime_dir = Env("XDG_RUNTIME_DIR");
    if (runtime_dir.empty()) return false;
    socket_path = runtime_dir + "/" + socket_path;
  }
  sockaddr_un address{};
  if (socket_path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// Qt's plugin file of a platform: "xcb" is libqxcb.so, "wayland" libqwayland-generic.so.
bool PlatformInstalled(const std::string& plugin_dir, const std::string& platform) {
  const std::string file = platform == "wayland" ? "qwayland-generic" : "q" + platform;
  std::error_code error;
  return std::filesystem::exists(plugin_dir + "/platforms/lib" + file + ".so", error);
}

}  // namespace

std::string PrepareDisplay(const std::string& qt_plugin_dir) {
  std::string chosen = Env("QT_QPA_PLATFORM");
  if (chosen.empty()) {
    if (!Env("DISPLAY").empty()) {
      chosen = "xcb";
    } else if (!Env("WAYLAND_DISPLAY").empty()) {
      chosen = "wayland";
    } else {
      return kNoDisplay + std::string("weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.");
    }
    setenv("QT_QPA_PLATFORM", chosen.c_str(), 1);
  }
  // "xcb:option=value" and "wayland;xcb" (a list to try in turn) name the platform first.
  const std::string platform = chosen.substr(0, chosen.find_first_of(":;"));
  if (!PlatformInstalled(qt_plugin_dir, platform)) {
    return kNoDisplay + std::string("die Qt-Plattform \"") + platform + "\" ist nicht installiert.";
  }
  if (platform == "xcb" && !XServerAnswers()) {
    return kNoDisplay + std::string("der X-Server DISPLAY=\"") + Env("DISPLAY") +
           "\" antwortet nicht.";
  }
  if (platform.starts_with("wayland") && !WaylandAnswers()) {
    return kNoDisplay + std::string("der Wayland-Server WAYLAND_DISPLAY=\"") +
           Env("WAYLAND_DISPLAY") + "\" antwortet nicht.";
  }
  return {};
}

}  // namespace trelvin2

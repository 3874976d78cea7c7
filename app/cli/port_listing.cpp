#include "app/cli/port_listing.h"

#include <iomanip>

namespace trelvin2 {
namespace {

std::string StateText(const PortListing& port) {
  switch (port.state) {
    case PortListing::State::kFree:
      return "frei";
    case PortListing::State::kHeld:
      return port.holder.empty() ? "belegt" : port.holder;
    case PortListing::State::kNotPermitted:
      return "kein Zugriff (Rechte fehlen)";
    case PortListing::State::kMissing:
      break;
  }
  return "nicht vorhanden";
}

}  // namespace

void PrintPortListing(const std::vector<PortListing>& ports, std::ostream& out) {
  for (const PortListing& port : ports) {
    out << std::left << std::setw(6) << port.name << std::setw(40)
        << (port.device.empty() ? "-" : port.device) << StateText(port) << '\n';
  }
}

}  // namespace trelvin2

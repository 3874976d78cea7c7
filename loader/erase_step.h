// Clearing the flash row that holds the device's serial configuration.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "loader/link_config_record.h"

namespace trelvin2 {

// The loader erases the 64-byte row at the address last set; the LinkConfigRecord opens it.
inline constexpr std::uint32_t kEraseAddress = kRecordAddress;

// "A" with the address, then "C"; 1 when both were acknowledged, else 0 after its own message.
int EraseStep(Program& program);

}  // namespace trelvin2

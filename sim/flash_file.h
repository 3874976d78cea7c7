// Program memory kept in a file between runs of trelvin2-sim: 8192 raw bytes, offset = address.
#pragma once

#include <string>

#include "sim/flash_memory.h"

namespace trelvin2::sim {

// false when the file is missing (exists is then false), unreadable or not 8192 bytes long.
bool LoadFlashFile(const std::string& path, FlashMemory& flash, bool& exists, std::string& error);
bool SaveFlashFile(const std::string& path, const FlashMemory& flash, std::string& error);

}  // namespace trelvin2::sim

// Program memory kept in a file between runs of trelvin2-sim: 8192 raw bytes, offset = address.
#pragma once

#include <string>

#include "sim/flash_memory.h"

namespace trelvin2::sim {

// Reads the file into flash. false when the file is missing (exists is then false), or, with a
// one-line reason in error, when it is not a regular file, not 8192 bytes long or unreadable.
// Only a regular file's size is trusted, and no more than 8192 bytes are ever read: a folder,
// a FIFO or /dev/zero is refused before reading.
bool LoadFlashFile(const std::string& path, FlashMemory& flash, bool& exists, std::string& error);

// Whether the file can be written at exit: an existing regular file, or a new one in an
// existing folder, and in either case a folder that takes the new copy. Checked at start, so
// that a whole session is not served into a file that cannot be kept.
bool CanSaveFlashFile(const std::string& path, std::string& error);

// Writes a new copy beside the file and puts it in place at once: a write that fails half-way
// leaves the old file as it was.
bool SaveFlashFile(const std::string& path, const FlashMemory& flash, std::string& error);

}  // namespace trelvin2::sim

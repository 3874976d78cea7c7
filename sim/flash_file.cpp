#include "sim/flash_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace trelvin2::sim {
namespace {

std::string Reason(const std::string& path) { return path + ": " + std::strerror(errno); }

// The file a path names, through a symlink: the copy replaces the file, not the link.
std::string Resolved(const std::string& path) {
  std::error_code ec;
  const auto target = std::filesystem::canonical(path, ec);
  return ec ? path : target.string();
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

bool ReadAll(int fd, std::uint8_t* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = read(fd, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = write(fd, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool LoadFlashFile(const std::string& path, FlashMemory& flash, bool& exists, std::string& error) {
  struct stat info {};
  exists = stat(path.c_str(), &info) == 0 || errno != ENOENT;
  if (!exists) return false;
  if (S_ISDIR(info.st_mode)) {
    error = path + " is a folder, not a flash file";
    return false;
  }
  // Non-blocking, so that a FIFO named here cannot hold the program before it is refused.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(path);
    return false;
  }
  bool loaded = false;
  if (fstat(fd, &info) != 0) {
    error = Reason(path);
  } else if (!S_ISREG(info.st_mode)) {
    error = path + " is not a regular file";
  } else if (info.st_size != static_cast<off_t>(kProgramMemoryBytes)) {
    error = path + ": holds " + std::to_string(info.st_size) + " bytes, not 8192";
  } else if (!ReadAll(fd, flash.MutableBytes().data(), kProgramMemoryBytes)) {
    error = path + ": cannot be read";
  } else {
    loaded = true;
  }
  close(fd);
  return loaded;
}

bool CanSaveFlashFile(const std::string& path, std::string& error) {
  const std::string file = Resolved(path);
  struct stat info {};
  if (stat(file.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      error = path + " is not a regular file";
      return false;
    }
    if (access(file.c_str(), W_OK) != 0) {
      error = path + " cannot be written: " + std::strerror(errno);
      return false;
    }
  }
  const std::string folder = FolderOf(file);
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = path + " cannot be written: there is no folder " + folder;
    return false;
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    error = path + " cannot be written: folder " + folder + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool SaveFlashFile(const std::string& path, const FlashMemory& flash, std::string& error) {
  const std::string file = Resolved(path);
  std::string temp = file + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = path + " cannot be written: " + std::strerror(errno);
    return false;
  }
  // The copy keeps the old file's permissions; a new file gets the usual ones.
  struct stat info {};
  fchmod(fd, stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644);
  const auto bytes = flash.Bytes();
  const bool written = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  const int write_errno = errno;
  if (close(fd) != 0 || !written || rename(temp.c_str(), file.c_str()) != 0) {
    error = path + " cannot be written: " + std::strerror(written ? errno : write_errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace trelvin2::sim

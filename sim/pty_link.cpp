#include "sim/pty_link.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace trelvin2::sim {
namespace {

// Shared by every run on the machine, so that one run knows another's links; in /tmp, since a
// record outlives its link only after a crash, and a reboot clears both.
constexpr const char* kRecordDir = "/tmp/trelvin2-sim-links";

std::optional<std::string> LinkTarget(const std::string& path) {
  std::error_code ec;
  const auto target = std::filesystem::read_symlink(path, ec);
  if (ec) return std::nullopt;
  return target.string();
}

// One record file per link, named after the link's absolute path with '/' as '%'.
std::string RecordPath(const std::string& link_path) {
  std::error_code ec;
  std::string name = std::filesystem::absolute(link_path, ec).lexically_normal().string();
  for (char& c : name) {
    if (c == '/') c = '%';
  }
  return std::string(kRecordDir) + "/" + name;
}

struct Record {
  long pid = 0;
  std::string target;
};

std::optional<Record> ReadRecord(const std::string& record_path) {
  std::ifstream in(record_path);
  Record record;
  if (!(in >> record.pid >> record.target)) return std::nullopt;
  return record;
}

bool Runs(long pid) { return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

// Whether an existing path may be replaced; the reason in error when not.
bool MayReplace(const std::string& link_path, const std::string& record_path, std::string& error) {
  struct stat info {};
  if (lstat(link_path.c_str(), &info) != 0) return true;
  if (!S_ISLNK(info.st_mode)) {
    error = link_path + " exists and is not a symlink; not replaced";
    return false;
  }
  const std::string target = LinkTarget(link_path).value_or("");
  struct stat pointed {};
  if (stat(link_path.c_str(), &pointed) != 0) return true;  // dangling: a stale link of anyone's
  const auto record = ReadRecord(record_path);
  if (!record || record->target != target) {
    error = link_path + " already links to " + target + ", not made by trelvin2-sim; not replaced";
    return false;
  }
  if (record->pid != getpid() && Runs(record->pid)) {
    error = link_path + " is served by another trelvin2-sim (process " +
            std::to_string(record->pid) + ")";
    return false;
  }
  return true;  // left behind by a run that was killed
}

}  // namespace

bool PtyLink::Make(const std::string& link_path, const std::string& target, std::string& error) {
  const std::string record_path = RecordPath(link_path);
  if (!MayReplace(link_path, record_path, error)) return false;
  // Open to every user as /tmp is, so that runs by different users see each other's records.
  if (mkdir(kRecordDir, 01777) == 0) chmod(kRecordDir, 01777);
  // The record first: a run killed between the two leaves a record without a link, harmless.
  const std::string record_temp = record_path + ".new";
  {
    std::ofstream out(record_temp, std::ios::trunc);
    out << getpid() << ' ' << target << '\n';
    if (!out.flush()) {
      error = std::string("cannot record the link in ") + kRecordDir;
      return false;
    }
  }
  if (std::rename(record_temp.c_str(), record_path.c_str()) != 0) {
    error = std::string("cannot record the link in ") + kRecordDir + ": " + std::strerror(errno);
    unlink(record_temp.c_str());
    return false;
  }
  // A replaced link goes away only now, once the new one is sure to be made.
  unlink(link_path.c_str());
  if (symlink(target.c_str(), link_path.c_str()) != 0) {
    error = link_path + ": " + std::strerror(errno);
    unlink(record_path.c_str());
    return false;
  }
  link_ = link_path;
  target_ = target;
  record_ = record_path;
  return true;
}

void PtyLink::Remove() {
  if (link_.empty()) return;
  if (LinkTarget(link_) == target_) unlink(link_.c_str());
  if (const auto record = ReadRecord(record_); record && record->pid == getpid()) {
    unlink(record_.c_str());
  }
  link_.clear();
}

}  // namespace trelvin2::sim

// A folder under /tmp for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

namespace trelvin2 {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace trelvin2

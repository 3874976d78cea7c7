#include "tests/pty/temp_dir.h"

#include <stdlib.h>

#include <system_error>

namespace trelvin2 {

TempDir::TempDir() {
  std::string pattern = "/tmp/trelvin2-pty-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace trelvin2

#include "platform/temp_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace quillet {

std::string createTemporaryFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  if (pattern.back() != '/') pattern += '/';
  pattern += "quillet-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return {};
  close(fd);
  return std::string(name.data());
}

}  // namespace quillet

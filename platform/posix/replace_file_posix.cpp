#include "platform/posix/replace_file_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quillet {

bool writeAll(int descriptor, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t wrote = ::write(descriptor, bytes, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

bool replaceFileWith(const std::string& target, const char* suffix, mode_t mode, bool sync,
                     const std::function<bool(int descriptor)>& fill) {
  std::string temporary = target + suffix + "XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return false;
  bool ok = fill(descriptor);
  ok = ok && ::fchmod(descriptor, mode) == 0;
  ok = ok && (!sync || ::fsync(descriptor) == 0);
  ok = ::close(descriptor) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace quillet

#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quillet {

MappedFile::~MappedFile() {
  if (mapped_) munmap(const_cast<unsigned char*>(data_), size_);
}

bool MappedFile::open(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
    close(fd);
    errno = error;
    return false;
  }
  size_ = static_cast<std::size_t>(status.st_size);
  if (size_ > 0) {
    void* at = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (at == MAP_FAILED) {
      const int error = errno;
      close(fd);
      errno = error;
      return false;
    }
    data_ = static_cast<const unsigned char*>(at);
    mapped_ = true;
    madvise(at, size_, MADV_SEQUENTIAL);
  }
  close(fd);
  return true;
}

void MappedFile::releaseBefore(std::size_t offset) {
  if (!mapped_) return;
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  // A megabyte at a time: one call per record would cost more than it saves.
  constexpr std::size_t kReleaseStep = std::size_t{1} << 20;
  const std::size_t end = std::min(offset, size_) / page * page;
  if (end < released_ + kReleaseStep) return;
  // The pages read so far leave this process; the file keeps them.
  madvise(const_cast<unsigned char*>(data_) + released_, end - released_, MADV_DONTNEED);
  released_ = end;
}

}  // namespace quillet

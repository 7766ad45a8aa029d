#include "platform/mapped_file.h"

#include <cerrno>

#include "base/file_handle.h"

namespace quillet {

MappedFile::~MappedFile() = default;

// Read whole: a book is small next to the memory of a machine that runs Windows.
bool MappedFile::open(const char* path) {
  const FileHandle file = openFile(path, "rb");
  if (!file) return false;
  const long size = measureFile(file.get());
  if (size < 0) return false;
  read_.resize(static_cast<std::size_t>(size));
  if (std::fread(read_.data(), 1, read_.size(), file.get()) != read_.size()) {
    if (errno == 0) errno = EIO;
    return false;
  }
  data_ = read_.data();
  size_ = read_.size();
  return true;
}

void MappedFile::releaseBefore(std::size_t) {}

bool MappedFile::cutWhileRead() const { return false; }

}  // namespace quillet

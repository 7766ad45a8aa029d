#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace quillet {

// A file's bytes, read-only, for a reader that goes through them front to back. Where the
// system maps files, pages come in as they are read and go again once released, so a
// large file is never held whole; elsewhere the file is read into memory at once.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // False, with errno set, when the file cannot be opened or read.
  bool open(const char* path);
  std::span<const unsigned char> bytes() const { return {data_, size_}; }
  // The bytes before offset will not be needed soon: their memory may be given back.
  // Reading them again still gives the file's bytes.
  void releaseBefore(std::size_t offset);
  // Whether the file was cut short while mapped. Reading its missing pages does not end
  // the process: they read as zeros, and this tells the reader that what it read is not
  // the file it opened. Always false for a file read whole.
  bool cutWhileRead() const;

 private:
  const unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t released_ = 0;
  bool mapped_ = false;
  int guard_ = -1;  // where the mapping is registered for its faults to be told (POSIX)
  std::vector<unsigned char> read_;  // where the file was read rather than mapped
};

}  // namespace quillet

#pragma once

#include <cstdio>
#include <memory>

namespace quillet {

// A stream that is closed when its owner goes, whatever way the owner leaves. Where a
// failed close matters (a file just written), release() it and close it by hand.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle openFile(const char* path, const char* mode) {
  return FileHandle(std::fopen(path, mode));
}

// The size of an open file, leaving it positioned at its start; -1 when it cannot be told.
long measureFile(std::FILE* file);

}  // namespace quillet

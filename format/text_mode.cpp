#include "format/text_mode.h"

#include <cstring>

#include "base/file_io.h"

namespace quillet {

namespace {
constexpr int kLF = 0x0A;
}  // namespace

bool writeTextMode(std::FILE* file, const char* text, std::size_t size) {
  std::size_t start = 0;
  while (start < size) {
    const void* found = std::memchr(text + start, kLF, size - start);
    const std::size_t end = found ? static_cast<const char*>(found) - text : size;
    if (!writeToFile(file, text + start, end - start)) return false;
    if (found == nullptr) break;
    if (!writeToFile(file, "\r\n", 2)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace quillet

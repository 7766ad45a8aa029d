#include "format/text_mode.h"

#include <cstring>

namespace {
constexpr int kCR = 0x0D;
constexpr int kLF = 0x0A;
constexpr int kEndOfText = 0x1A;
}  // namespace

int TextModeReader::get() {
  if (ended_) return EOF;
  int c = std::getc(file_);
  if (c == kCR) {
    const int next = std::getc(file_);
    if (next == kLF) return kLF;
    if (next != EOF) std::ungetc(next, file_);
    return kCR;
  }
  if (c == kEndOfText || c == EOF) {
    ended_ = true;
    return EOF;
  }
  return c;
}

bool writeTextMode(std::FILE* file, const char* text, std::size_t size) {
  std::size_t start = 0;
  while (start < size) {
    const void* found = std::memchr(text + start, kLF, size - start);
    const std::size_t end = found ? static_cast<const char*>(found) - text : size;
    if (std::fwrite(text + start, 1, end - start, file) != end - start) return false;
    if (found == nullptr) break;
    if (std::fwrite("\r\n", 1, 2, file) != 2) return false;
    start = end + 1;
  }
  return true;
}

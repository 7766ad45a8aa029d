#include "tests/format/text_mode_reference.h"

namespace quillet {

namespace {
constexpr int kCR = 0x0D;
constexpr int kLF = 0x0A;
constexpr int kEndOfText = 0x1A;
}  // namespace

int TextModeReader::get() {
  if (ended_) return EOF;
  const int c = std::getc(file_);
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

}  // namespace quillet

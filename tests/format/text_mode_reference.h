#pragma once

#include <cstdio>

namespace quillet {

// The text-mode reading rules one byte at a time, the plain reference the block reader
// of the builder is compared with: CR LF is delivered as LF, a CR not followed by LF as it
// is, and a byte 0x1A ends the text (neither it nor anything after it is delivered).
class TextModeReader {
 public:
  explicit TextModeReader(std::FILE* file) : file_(file) {}

  // The next byte (0 to 255), or EOF at the end of the text.
  int get();

 private:
  std::FILE* file_;
  bool ended_ = false;
};

}  // namespace quillet

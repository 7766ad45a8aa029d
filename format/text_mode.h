#pragma once

#include <cstdio>

// Reads a file opened in binary mode by the program's text-mode rules, the same on every
// platform: CR LF is delivered as LF, a CR not followed by LF is delivered as it is, and a
// byte 0x1A ends the text (neither it nor anything after it is delivered).
class TextModeReader {
 public:
  explicit TextModeReader(std::FILE* file) : file_(file) {}

  // The next byte (0 to 255), or EOF at the end of the text.
  int get();

 private:
  std::FILE* file_;
  bool ended_ = false;
};

// Writes size bytes to a file opened in binary mode with every LF stored as CR LF.
// Returns false when a write failed.
bool writeTextMode(std::FILE* file, const char* text, std::size_t size);

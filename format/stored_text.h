#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace quillet {

// The text a Doc stores for a text file: the file read by the text-mode rules (CR LF is
// delivered as LF, a CR not followed by LF as it is, a byte 0x1A ends the text), with
// every NUL byte that this delivers left out. Reads the file in blocks, so a whole text
// costs a few passes over memory rather than a stream call per byte.
class StoredTextReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = 64 * 1024;

  // file: opened in binary mode, positioned where the text starts; not owned.
  explicit StoredTextReader(std::FILE* file, std::size_t blockSize = kDefaultBlockSize);

  // Delivers up to limit bytes of stored text into out and returns how many. Fewer than
  // limit only at the end of the text; a read error ends the text.
  std::size_t read(unsigned char* out, std::size_t limit);

 private:
  bool refill();

  std::FILE* file_;
  std::vector<unsigned char> block_;
  std::size_t at_ = 0;   // next unread byte of block_
  std::size_t end_ = 0;  // bytes in block_
  bool ended_ = false;
};

// The stored text of a whole file (opened in binary mode, read from where it stands), at
// most limit bytes of it. Throws std::bad_alloc when it cannot be held.
std::string readStoredText(std::FILE* file, std::size_t limit);

}  // namespace quillet

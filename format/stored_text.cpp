#include "format/stored_text.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

constexpr unsigned char kNul = 0x00;
constexpr unsigned char kLF = 0x0A;
constexpr unsigned char kCR = 0x0D;
constexpr unsigned char kEndOfText = 0x1A;

// The bytes that are not simply copied.
bool isSpecial(unsigned char c) { return c == kNul || c == kCR || c == kEndOfText; }

}  // namespace

StoredTextReader::StoredTextReader(std::FILE* file, std::size_t blockSize)
    : file_(file), block_(std::max<std::size_t>(blockSize, 1)) {}

bool StoredTextReader::refill() {
  if (ended_) return false;
  at_ = 0;
  end_ = std::fread(block_.data(), 1, block_.size(), file_);
  ended_ = end_ == 0;
  return !ended_;
}

std::size_t StoredTextReader::read(unsigned char* out, std::size_t limit) {
  std::size_t delivered = 0;
  while (delivered < limit) {
    if (at_ == end_ && !refill()) break;
    // Plain bytes go across in one stretch.
    const std::size_t room = std::min(end_ - at_, limit - delivered);
    std::size_t plain = 0;
    while (plain < room && !isSpecial(block_[at_ + plain])) ++plain;
    std::memcpy(out + delivered, block_.data() + at_, plain);
    delivered += plain;
    at_ += plain;
    if (plain == room) continue;

    const unsigned char c = block_[at_++];
    if (c == kEndOfText) {
      ended_ = true;
      at_ = end_ = 0;
      break;
    }
    if (c == kCR) {
      // Whether it ends a line depends on the next byte, which may lie in the next block.
      if (at_ == end_ && !refill()) {
        out[delivered++] = kCR;
        break;
      }
      if (block_[at_] == kLF) {
        ++at_;
        out[delivered++] = kLF;
      } else {
        out[delivered++] = kCR;
      }
    }
    // A NUL is left out.
  }
  return delivered;
}

std::string readStoredText(std::FILE* file, std::size_t limit) {
  StoredTextReader reader(file);
  std::string text;
  for (;;) {
    const std::size_t before = text.size();
    const std::size_t want = std::min(limit - before, StoredTextReader::kDefaultBlockSize);
    text.resize(before + want);
    const std::size_t got = reader.read(reinterpret_cast<unsigned char*>(text.data() + before), want);
    text.resize(before + got);
    if (got < want || text.size() == limit) return text;
  }
}

}  // namespace quillet

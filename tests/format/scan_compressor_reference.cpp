#include "tests/format/scan_compressor_reference.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quillet {

namespace reference {

namespace {

constexpr int kWindow = 2047;
constexpr int kShortest = 3;
constexpr int kLongest = 10;

// What the first pass decides, one code at a time; the bytes are written afterwards.
struct Code {
  enum Kind { kByte, kSpaceThen, kCopy } kind;
  unsigned char byte = 0;  // kByte, kSpaceThen
  int distance = 0;        // kCopy
  int length = 0;          // kCopy
};

bool escaped(unsigned char b) { return (b >= 1 && b <= 8) || b >= 0x80; }

// A space waits for the byte after it: with 0x40..0x7F it makes one code, otherwise it goes
// out alone; a second space in a row goes out at once.
class Coder {
 public:
  void literal(unsigned char ch) {
    if (held_) {
      held_ = false;
      if (ch >= 0x40 && ch < 0x80) {
        codes.push_back({Code::kSpaceThen, ch});
        return;
      }
      codes.push_back({Code::kByte, ' '});
    } else if (ch == ' ') {
      held_ = true;
      return;
    }
    codes.push_back({Code::kByte, ch});
  }
  void copy(int distance, int length) {
    flushSpace();
    codes.push_back({Code::kCopy, 0, distance, length});
  }
  void flushSpace() {
    if (held_) codes.push_back({Code::kByte, ' '});
    held_ = false;
  }
  std::vector<Code> codes;

 private:
  bool held_ = false;
};

// The codes as bytes; neighbouring escaped bytes share a count, eight at the most.
std::size_t writeCodes(const std::vector<Code>& codes, unsigned char* out) {
  std::size_t n = 0;
  for (std::size_t k = 0; k < codes.size();) {
    const Code& c = codes[k];
    if (c.kind == Code::kCopy) {
      const unsigned v = 0x8000u | unsigned(c.distance) << 3 | unsigned(c.length - kShortest);
      out[n++] = static_cast<unsigned char>(v >> 8);
      out[n++] = static_cast<unsigned char>(v & 0xFF);
      ++k;
    } else if (c.kind == Code::kSpaceThen) {
      out[n++] = static_cast<unsigned char>(c.byte ^ 0x80);
      ++k;
    } else if (!escaped(c.byte)) {
      out[n++] = c.byte;
      ++k;
    } else {
      std::size_t run = 0;
      while (run < 8 && k + run < codes.size() && codes[k + run].kind == Code::kByte &&
             escaped(codes[k + run].byte)) {
        ++run;
      }
      out[n++] = static_cast<unsigned char>(run);
      for (std::size_t r = 0; r < run; ++r) out[n++] = codes[k + r].byte;
      k += run;
    }
  }
  return n;
}

}  // namespace

int findEarliestMatchByScan(const unsigned char* input, int windowStart, int patternStart,
                            int length) {
  const unsigned char first = input[patternStart];
  const unsigned char* pattern = input + patternStart;
  int q = windowStart;
  while (q < patternStart) {
    const void* hit = std::memchr(input + q, first, static_cast<std::size_t>(patternStart - q));
    if (hit == nullptr) break;
    q = static_cast<int>(static_cast<const unsigned char*>(hit) - input);
    if (std::memcmp(input + q, pattern, static_cast<std::size_t>(length)) == 0) return q;
    ++q;
  }
  return patternStart;
}

std::size_t compressRecordByScan(unsigned char* output, const unsigned char* input,
                                 std::size_t size) {
  const int n = static_cast<int>(size);
  Coder coder;
  int p = 0;  // first byte not coded
  int i = 1;  // the pattern is p .. i-1
  int a = 0;  // the window's start
  while (p < n) {
    a = std::max(a, p - kWindow);
    const int length = i - p;
    const int q = findEarliestMatchByScan(input, a, p, length);
    if (q < p && i < n && length <= kLongest) {
      a = q;
    } else {
      if (length > kShortest) {
        coder.copy(p - a, length - 1);
        p = i - 1;
      } else {
        coder.literal(input[p++]);
      }
      a = 0;
    }
    if (i < n) ++i;
  }
  coder.flushSpace();
  return writeCodes(coder.codes, output);
}

}  // namespace reference

}  // namespace quillet

#include "tests/format/scan_compressor_reference.h"

#include <algorithm>
#include <cstring>

namespace quillet::reference {

int findEarliestMatchByScan(const unsigned char* input, int windowStart, int patternStart,
                            int length) {
  for (int q = windowStart; q < patternStart; ++q) {
    const void* hit = std::memchr(input + q, input[patternStart], std::size_t(patternStart - q));
    if (hit == nullptr) break;
    q = static_cast<int>(static_cast<const unsigned char*>(hit) - input);
    if (std::memcmp(input + q, input + patternStart, std::size_t(length)) == 0) return q;
  }
  return patternStart;
}

std::size_t compressRecordByScan(unsigned char* out, const unsigned char* input, std::size_t size) {
  std::size_t n = 0;
  std::size_t countAt = 0;  // the count byte of the escaped bytes written last
  unsigned escapes = 0;     // how many share it
  bool held = false;        // a space waiting for the byte after it
  const auto put = [&](unsigned value) {
    escapes = 0;
    out[n++] = static_cast<unsigned char>(value);
  };
  const auto flushSpace = [&] {
    if (held) put(' ');
    held = false;
  };
  const int end = static_cast<int>(size);
  int p = 0;  // first byte not coded
  int i = 1;  // the pattern is p .. i-1
  int a = 0;  // the window's start
  while (p < end) {
    a = std::max(a, p - 2047);
    const int length = i - p;
    const int q = findEarliestMatchByScan(input, a, p, length);
    if (q < p && i < end && length <= 10) {
      a = q;
    } else {
      if (length > 3) {  // a copy of length - 1 bytes from p - a back
        flushSpace();
        const unsigned v = 0x8000u | unsigned(p - a) << 3 | unsigned(length - 1 - 3);
        put(v >> 8);
        put(v & 0xFF);
        p = i - 1;
      } else if (const unsigned char ch = input[p++]; held && ch >= 0x40 && ch < 0x80) {
        held = false;  // a held space and a byte 0x40..0x7F make one code
        put(ch ^ 0x80u);
      } else if (!held && ch == ' ') {
        held = true;
      } else {  // else the space goes out alone (a second space in a row at once), then the byte
        flushSpace();
        if (!((ch >= 1 && ch <= 8) || ch >= 0x80)) {
          put(ch);
        } else {  // escaped: neighbours share a count byte, eight at the most
          if (escapes == 0 || escapes == 8) {
            countAt = n++;
            escapes = 0;
          }
          out[countAt] = static_cast<unsigned char>(++escapes);
          out[n++] = ch;
        }
      }
      a = 0;
    }
    if (i < end) ++i;
  }
  flushSpace();
  return n;
}

}  // namespace quillet::reference

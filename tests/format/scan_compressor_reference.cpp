#include "tests/format/scan_compressor_reference.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace reference {

namespace {

constexpr int kMaxMatchDistance = 2047;
constexpr int kMinMatchLength = 3;
constexpr int kMaxMatchLength = 10;
constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kEscape = 0x01;
constexpr unsigned char kMaxEscapeRun = 8;

bool needsEscape(unsigned char ch) { return ch >= 0x80 || (ch >= 0x01 && ch <= 0x08); }
bool isBackReferenceStart(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

std::size_t writeBackReference(unsigned char* output, int distance, int length) {
  const unsigned value = 0x8000u + (static_cast<unsigned>(distance) << 3) +
                         static_cast<unsigned>(length - kMinMatchLength);
  output[0] = static_cast<unsigned char>(value >> 8);
  output[1] = static_cast<unsigned char>(value);
  return 2;
}

std::size_t emitLiteral(unsigned char* output, unsigned char ch, bool& spacePending) {
  std::size_t written = 0;
  if (spacePending) {
    spacePending = false;
    if (ch >= 0x40 && ch <= 0x7F) {
      output[0] = static_cast<unsigned char>(ch | 0x80);
      return 1;
    }
    output[written++] = kSpace;
  } else if (ch == kSpace) {
    spacePending = true;
    return 0;
  }
  if (needsEscape(ch)) output[written++] = kEscape;
  output[written++] = ch;
  return written;
}

std::size_t groupEscapes(unsigned char* buffer, std::size_t length) {
  std::size_t read = 0;
  std::size_t write = 0;
  while (read < length) {
    const unsigned char b = buffer[read];
    if (isBackReferenceStart(b)) {
      buffer[write++] = b;
      buffer[write++] = buffer[read + 1];
      read += 2;
    } else if (b == kEscape) {
      const std::size_t countAt = write;
      buffer[write++] = 1;
      buffer[write++] = buffer[read + 1];
      read += 2;
      while (read < length && buffer[read] == kEscape && buffer[countAt] < kMaxEscapeRun) {
        ++buffer[countAt];
        buffer[write++] = buffer[read + 1];
        read += 2;
      }
    } else {
      buffer[write++] = b;
      ++read;
    }
  }
  return write;
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
  std::size_t out = 0;
  bool spacePending = false;
  int p = 0;
  int i = 1;
  int a = 0;
  while (p < n) {
    a = std::max(a, p - kMaxMatchDistance);
    const int length = i - p;
    const int q = findEarliestMatchByScan(input, a, p, length);
    if (q < p && i < n && length <= kMaxMatchLength) {
      a = q;
    } else {
      if (length > kMinMatchLength) {
        if (spacePending) {
          output[out++] = kSpace;
          spacePending = false;
        }
        out += writeBackReference(output + out, p - a, length - 1);
        p = i - 1;
      } else {
        out += emitLiteral(output + out, input[p], spacePending);
        ++p;
      }
      a = 0;
    }
    if (i < n) ++i;
  }
  if (spacePending) output[out++] = kSpace;
  return groupEscapes(output, out);
}

}  // namespace reference

}  // namespace quillet

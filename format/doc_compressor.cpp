#include "format/doc_compressor.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace quillet {

namespace {

constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kEscape = 0x01;
constexpr unsigned char kMaxEscapeRun = 8;

bool needsEscape(unsigned char ch) { return ch >= 0x80 || (ch >= 0x01 && ch <= 0x08); }
bool isBackReferenceStart(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

std::uint64_t loadWord(const unsigned char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// How many leading bytes, in memory order, two loaded words share (8 when equal), given
// their XOR.
int agreedBytes(std::uint64_t difference) {
  if constexpr (std::endian::native == std::endian::little) {
    return std::countr_zero(difference) / 8;
  } else {
    return std::countl_zero(difference) / 8;
  }
}

// The four bytes at at as one number, first byte lowest, whatever the machine's order.
std::uint32_t loadQuad(const unsigned char* at) {
  std::uint32_t quad;
  std::memcpy(&quad, at, sizeof quad);
  if constexpr (std::endian::native == std::endian::big) quad = __builtin_bswap32(quad);
  return quad;
}

std::size_t writeBackReference(unsigned char* output, int distance, int length) {
  const unsigned value = 0x8000u + (static_cast<unsigned>(distance) << 3) +
                         static_cast<unsigned>(length - kMinMatchLength);
  output[0] = static_cast<unsigned char>(value >> 8);
  output[1] = static_cast<unsigned char>(value);
  return 2;
}

// The first pass writes every escaped byte as its own pair (0x01, byte); this joins up to
// eight neighbouring pairs under one count byte, in place.
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

RecordMatchIndex::RecordMatchIndex(const unsigned char* input, std::size_t n)
    : size_(static_cast<int>(n)) {
  if (n > 0) std::memcpy(text_, input, n);
  std::memset(text_ + n, 0, sizeof text_ - n);
  std::fill(std::begin(head_), std::end(head_), kNoPosition);
  // A key that would run past the end of the input is not linked. The forward links are
  // made only when a search first needs them (linkForward).
  for (int q = 0; q + kMinMatchLength <= size_; ++q) {
    const std::size_t bucket = bucketOf(text_ + q);
    before_[q] = head_[bucket];
    head_[bucket] = static_cast<std::uint16_t>(q);
  }
}

// The first three bytes at at, hashed (Fibonacci hashing); the shift drops the fourth.
std::size_t RecordMatchIndex::bucketOf(const unsigned char* at) {
  return ((loadQuad(at) << 8) * 0x9E3779B1u) >> (32 - kBucketBits);
}

// How many bytes at q and at p agree, up to cap (at most kMaxMatchLength).
int RecordMatchIndex::agreedLength(int q, int p, int cap) const {
  const std::uint64_t difference = loadWord(text_ + q) ^ loadWord(text_ + p);
  int agreed = agreedBytes(difference);
  // Nearly every candidate differs within its first eight bytes.
  if (difference == 0) agreed += agreedBytes(loadWord(text_ + q + 8) ^ loadWord(text_ + p + 8));
  return std::min(agreed, cap);
}

// Walks back from p through the places in the window that share its bucket, keeping the
// longest agreement and, of equals, the earliest place, without a branch on the outcome,
// which text does not make predictable.
// Away from the record's end a reference may be kMaxMatchLength long, more than one word
// can show, so only a place whose first word agrees in full is measured further, and only
// such a place can agree in full.
template <bool kNearTheEnd>
[[gnu::always_inline]] inline RecordMatchIndex::Match RecordMatchIndex::search(int p) {
  const int cap = kNearTheEnd ? std::min(kMaxMatchLength, size_ - p - 1) : kMaxMatchLength;
  const int floor = std::max(0, p - kMaxMatchDistance);
  const auto inWindow = [floor, span = static_cast<unsigned>(p - floor)](int q) {
    return static_cast<unsigned>(q - floor) < span;  // kNoPosition never is
  };
  const std::uint64_t pattern = loadWord(text_ + p);
  // How far the best place agrees (high half) and how early it lies (low half, counting
  // down), so that one maximum keeps the earliest of the longest.
  const auto ranked = [](int agreed, int q) {
    return static_cast<std::uint32_t>(agreed) << 16 | static_cast<std::uint32_t>(kNoPosition - q);
  };
  std::uint32_t best = ranked(kMinMatchLength - 1, kNoPosition);
  int wholeMatches = 0;
  for (int q = before_[p]; inWindow(q); q = before_[q]) {
    const std::uint64_t difference = loadWord(text_ + q) ^ pattern;
    int agreed = agreedBytes(difference);
    if (kNearTheEnd || difference == 0) {
      agreed = agreedLength(q, p, cap);
      if (agreed == cap && ++wholeMatches > kLongestWalkBack) {
        return {cap, earliestWholeMatch(p, q, cap, floor)};
      }
    }
    best = std::max(best, ranked(agreed, q));
  }
  const int length = static_cast<int>(best >> 16);
  if (length < kMinMatchLength) return {0, 0};
  return {length, kNoPosition - static_cast<int>(best & 0xFFFF)};
}

[[gnu::always_inline]] inline RecordMatchIndex::Match RecordMatchIndex::bestMatchInline(
    int p) {
  return p + kMaxMatchLength < size_ ? search<false>(p) : search<true>(p);
}

RecordMatchIndex::Match RecordMatchIndex::bestMatch(int p) { return bestMatchInline(p); }

// Most records never search forward, and a store less per position is a fifth of the
// index's cost. The first position of a bucket links forward from kNoPosition's slot,
// which nobody reads.
void RecordMatchIndex::linkForward() {
  for (int q = 0; q + kMinMatchLength <= size_; ++q) after_[before_[q]] = static_cast<std::uint16_t>(q);
  linkedForward_ = true;
}

// The earliest place in the window where all cap bytes at p occur, given one such place
// (known). The forward links lead there from the start of the bucket's window, which is
// remembered for the next search in the same bucket.
int RecordMatchIndex::earliestWholeMatch(int p, int known, int cap, int floor) {
  if (!linkedForward_) linkForward();
  const std::size_t bucket = bucketOf(text_ + p);
  WindowStart& start = windowStarts_[bucket % kWindowStarts];
  int q = known;
  if (start.bucket == bucket) {
    q = start.position;
    while (q < floor) q = after_[q];  // stops at known at the latest
  } else {
    while (before_[q] != kNoPosition && before_[q] >= floor) q = before_[q];
    start.bucket = static_cast<std::uint16_t>(bucket);
  }
  start.position = static_cast<std::uint16_t>(q);
  while (agreedLength(q, p, cap) < cap) q = after_[q];  // stops at known at the latest
  return q;
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
  // Written without a branch on the byte's class, which text does not make predictable.
  const std::size_t escaped = needsEscape(ch) ? 1 : 0;
  output[written] = kEscape;
  output[written + escaped] = ch;
  return written + escaped + 1;
}

std::size_t compressRecord(unsigned char* output, const unsigned char* input, std::size_t size) {
  if (size == 0) return 0;
  const int n = static_cast<int>(size);
  std::size_t out = 0;
  bool spacePending = false;
  bool escaped = false;  // whether a literal was written as an escape pair
  RecordMatchIndex index(input, size);
  for (int p = 0; p < n;) {
    RecordMatchIndex::Match match{0, 0};
    if (p + kMinMatchLength < n) match = index.bestMatchInline(p);
    if (match.length >= kMinMatchLength) {
      if (spacePending) {
        output[out++] = kSpace;
        spacePending = false;
      }
      out += writeBackReference(output + out, p - match.position, match.length);
      p += match.length;
    } else {
      out += emitLiteral(output + out, input[p], spacePending);
      escaped |= needsEscape(input[p]);
      ++p;
    }
  }
  if (spacePending) output[out++] = kSpace;
  // Without a single escape pair the second pass would change nothing.
  if (!escaped) return out;
  return groupEscapes(output, out);
}

}  // namespace quillet

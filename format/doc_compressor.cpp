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
  for (Chains* chains : {&triples_, &quads_}) {
    std::fill(std::begin(chains->head), std::end(chains->head), kEndOfChain);
    chains->next[kEndOfChain] = kEndOfChain;
  }
  // Linking from the back puts every chain in increasing order. A key that would run past
  // the end of the input is not linked.
  if (size_ >= 3) link(triples_, loadQuad(text_ + size_ - 3) & 0xFFFFFF, size_ - 3);
  for (int q = size_ - 4; q >= 0; --q) {
    const std::uint32_t quad = loadQuad(text_ + q);
    link(triples_, quad & 0xFFFFFF, q);
    link(quads_, quad, q);
  }
}

std::size_t RecordMatchIndex::bucketOf(std::uint32_t key) {
  return (key * 0x9E3779B1u) >> (32 - kBucketBits);  // Fibonacci hashing
}

void RecordMatchIndex::link(Chains& chains, std::uint32_t key, int q) {
  const std::size_t bucket = bucketOf(key);
  chains.next[q] = chains.head[bucket];
  chains.head[bucket] = static_cast<std::uint16_t>(q);
}

// The first position of a bucket inside the window. Positions before floor, which no later
// search reaches back to, are unlinked on the way, so that the bucket's next search starts
// in the window; buckets no search asks for are never cleaned.
int RecordMatchIndex::firstInWindow(Chains& chains, std::size_t bucket, int floor) {
  int q = chains.head[bucket];
  while (q < floor) q = chains.next[q];
  chains.head[bucket] = static_cast<std::uint16_t>(q);
  return q;
}

// Finds the earliest occurrence of the pattern at p for every length from 3 to
// kLadderTop at once: the first true 3-byte match on the 3-byte chain, then one walk along
// the 4-byte chain.
int RecordMatchIndex::longestMatch(int p) {
  const int top = std::min(kLadderTop, size_ - p);
  const int floor = std::max(0, p - kMaxMatchDistance);
  const std::uint64_t patternHead = loadWord(text_ + p);
  const std::uint32_t patternQuad = loadQuad(text_ + p);
  int q = firstInWindow(triples_, bucketOf(patternQuad & 0xFFFFFF), floor);
  while (q < p && agreedBytes(loadWord(text_ + q) ^ patternHead) < 3) q = triples_.next[q];
  if (q >= p) return 0;
  int longest = 3;
  earliest_[3] = static_cast<std::uint16_t>(q);
  if (top > 3) {
    const int first = q;
    q = firstInWindow(quads_, bucketOf(patternQuad), floor);
    while (q < first) q = quads_.next[q];  // bytes that merely share the bucket
    for (; q < p; q = quads_.next[q]) {
      // Nearly every candidate differs within its first eight bytes: one compare.
      int agreed = agreedBytes(loadWord(text_ + q) ^ patternHead);
      if (agreed == 8) agreed += agreedBytes(loadWord(text_ + q + 8) ^ loadWord(text_ + p + 8));
      agreed = std::min(agreed, top);
      if (agreed > longest) {
        // Every length up to agreed first occurs here. The stores run past agreed, into
        // lengths longer than the longest found, which nobody asks for.
        const std::uint64_t four = 0x0001000100010001u * static_cast<std::uint16_t>(q);
        for (int k = 0; k < 3; ++k) std::memcpy(earliest_ + longest + 1 + 4 * k, &four, 8);
        longest = agreed;
        if (longest == top) break;
      }
    }
  }
  return longest;
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
    // A match grows a byte at a time while it still occurs in the window, up to one byte
    // past the longest reference and no further than the input; the reference takes what
    // occurred before the last byte tried, at its earliest place. It must be longer than
    // the shortest match for the trial to have gone that far.
    int tried = 0;
    if (n - p > kMinMatchLength) {
      tried = std::min(index.longestMatch(p) + 1, kMaxMatchLength + 1);
      if (tried > n - p) tried = n - p;
    }
    if (tried > kMinMatchLength) {
      const int length = tried - 1;
      if (spacePending) {
        output[out++] = kSpace;
        spacePending = false;
      }
      out += writeBackReference(output + out, p - index.earliestOf(length), length);
      p += length;
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

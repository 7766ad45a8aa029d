#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet {

// PalmDOC compression of one Doc text record (at most 4096 bytes). Every call stands
// alone: back-references stay inside the record. The choice among the codings the scheme
// allows is fixed (earliest match wins, greedy growth to 10 bytes, space pairing, escape
// runs of up to 8), so the output bytes are reproducible. Format: docs/compression.md.

inline constexpr std::size_t kDocRecordSize = 4096;
inline constexpr int kMaxMatchDistance = 2047;
inline constexpr int kMinMatchLength = 3;
inline constexpr int kMaxMatchLength = 10;

// Compresses n bytes of input into output and returns the number of output bytes.
// REQUIRES: output holds 2 * n bytes; n <= kDocRecordSize. Allocates nothing; never fails.
std::size_t compressRecord(unsigned char* output, const unsigned char* input, std::size_t n);

// Where every 3- and 4-byte sequence of one record occurs, as chains of positions in
// increasing order (by hash bucket), so that the earliest occurrence inside the window is
// found without scanning the window. About 37 KiB: meant to live on the stack for one
// record.
class RecordMatchIndex {
 public:
  // REQUIRES: n <= kDocRecordSize. Keeps a copy of the input.
  RecordMatchIndex(const unsigned char* input, std::size_t n);
  RecordMatchIndex(const RecordMatchIndex&) = delete;
  RecordMatchIndex& operator=(const RecordMatchIndex&) = delete;

  // The longest prefix of the bytes at p, up to kMaxMatchLength + 1 and the end of the
  // input, that occurs in the window (the kMaxMatchDistance bytes before p); 0 when not
  // even its first three bytes do. earliestOf then gives where each length of it first
  // occurs there.
  // REQUIRES: p + 3 <= n; calls come in order of increasing p (positions that drop out of
  // the window are forgotten).
  int longestMatch(int p);
  // REQUIRES: 3 <= length <= the last longestMatch's answer.
  int earliestOf(int length) const { return earliest_[length]; }

 private:
  static constexpr int kBucketBits = 12;
  static constexpr std::size_t kBuckets = std::size_t{1} << kBucketBits;
  static constexpr std::size_t kPadding = 16;  // word loads may reach this far past the end
  // Ends every chain; lies beyond every position, and links to itself.
  static constexpr std::uint16_t kEndOfChain = kDocRecordSize;
  // Lengths a growing match is searched for: up to one past the longest reference.
  static constexpr int kLadderTop = kMaxMatchLength + 1;

  struct Chains {
    std::uint16_t head[kBuckets];            // first position of each bucket still in reach
    std::uint16_t next[kDocRecordSize + 1];  // next position in the same bucket
  };

  static std::size_t bucketOf(std::uint32_t key);
  static void link(Chains& chains, std::uint32_t key, int q);
  static int firstInWindow(Chains& chains, std::size_t bucket, int floor);

  int size_;
  // By length, from 3 to the longest match; room behind for stores of a whole word.
  std::uint16_t earliest_[kLadderTop + 1 + 12];
  unsigned char text_[kDocRecordSize + kPadding];
  Chains triples_;
  Chains quads_;
};

// Codes one literal byte, pairing a held space with a following 0x40..0x7F character.
// Writes 0 to 3 bytes at output and returns how many.
std::size_t emitLiteral(unsigned char* output, unsigned char ch, bool& spacePending);

}  // namespace quillet

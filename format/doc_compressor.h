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

// Where the 3-byte sequences of one record occur: each position links back to the one
// before it whose sequence shares its hash bucket. A search walks back from the pattern
// through the window only, so positions that have left the window cost nothing, and most
// walks are a few steps long. About 28 KiB: meant to live on the stack for one record.
class RecordMatchIndex {
 public:
  // REQUIRES: n <= kDocRecordSize. Keeps a copy of the input.
  RecordMatchIndex(const unsigned char* input, std::size_t n);
  RecordMatchIndex(const RecordMatchIndex&) = delete;
  RecordMatchIndex& operator=(const RecordMatchIndex&) = delete;

  struct Match {
    int length;    // 0 when not even 3 bytes occur
    int position;  // the earliest place where all length bytes occur
  };

  // The back-reference due at p: the longest run of the bytes at p, at most
  // kMaxMatchLength long and never taking in the record's last byte, that also starts in
  // the window (the kMaxMatchDistance bytes before p; it may run on into p).
  // REQUIRES: p + kMinMatchLength < n; calls come in order of increasing p.
  Match bestMatch(int p);

 private:
  static constexpr int kBucketBits = 12;
  static constexpr std::size_t kBuckets = std::size_t{1} << kBucketBits;
  static constexpr std::size_t kPadding = 16;  // word loads may reach this far past the end
  // Links to no position: lies beyond every one, so that it is never in a window.
  static constexpr std::uint16_t kNoPosition = kDocRecordSize;
  // Walking back through more places that hold the whole pattern than this hands the search
  // to the forward links, which find the earliest one at once in a long run of one byte.
  static constexpr int kLongestWalkBack = 16;
  static constexpr std::size_t kWindowStarts = 8;

  friend std::size_t compressRecord(unsigned char* output, const unsigned char* input,
                                    std::size_t n);
  // bestMatch, made part of the compressor's loop: the call's own cost is a tenth of the
  // search's.
  Match bestMatchInline(int p);
  template <bool kNearTheEnd>
  Match search(int p);
  static std::size_t bucketOf(const unsigned char* at);
  int agreedLength(int q, int p, int cap) const;
  int earliestWholeMatch(int p, int known, int cap, int floor);
  void linkForward();

  int size_;
  unsigned char text_[kDocRecordSize + kPadding];
  std::uint16_t head_[kBuckets];             // the latest position of each bucket so far
  std::uint16_t before_[kDocRecordSize];     // the position before, in the same bucket
  std::uint16_t after_[kDocRecordSize + 1];  // the one after; the last slot takes the firsts
  bool linkedForward_ = false;
  // Where recent forward searches found their bucket's window to begin, to go on from.
  struct WindowStart {
    std::uint16_t bucket = kBuckets;
    std::uint16_t position = 0;
  } windowStarts_[kWindowStarts];
};

// Codes one literal byte, pairing a held space with a following 0x40..0x7F character.
// Writes 0 to 3 bytes at output and returns how many.
std::size_t emitLiteral(unsigned char* output, unsigned char ch, bool& spacePending);

}  // namespace quillet

#pragma once

#include <cstddef>

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

// The lowest position q in [windowStart, patternStart] at which the length bytes starting
// at q equal those starting at patternStart. patternStart itself always qualifies.
// REQUIRES: patternStart + length <= the input's size.
int findEarliestMatch(const unsigned char* input, int windowStart, int patternStart, int length);

// Codes one literal byte, pairing a held space with a following 0x40..0x7F character.
// Writes 0 to 3 bytes at output and returns how many.
std::size_t emitLiteral(unsigned char* output, unsigned char ch, bool& spacePending);

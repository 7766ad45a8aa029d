#pragma once

#include <cstddef>

// The compressor as first written: every search scans the window from its start. Slow and
// plainly right; the fast compressor must give the same bytes for every input.
namespace quillet::reference {

int findEarliestMatchByScan(const unsigned char* input, int windowStart, int patternStart,
                            int length);
std::size_t compressRecordByScan(unsigned char* output, const unsigned char* input, std::size_t n);

}  // namespace quillet::reference

// The decoder's fast path (whole words, no bounds per byte) against the codes decoded one
// byte at a time, as the format describes them, on random streams of codes, in pieces of
// every size and into buffers of every size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/doc_importer.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

std::string decodedByteByByte(const Bytes& in, std::size_t capacity) {
  std::string out;
  unsigned run = 0;
  for (std::size_t i = 0; i < in.size() && out.size() < capacity; ++i) {
    const unsigned char c = in[i];
    if (run > 0) {
      --run;
      if (c != 0) out += static_cast<char>(c);
    } else if (c >= 1 && c <= 8) {
      run = c;
    } else if (c >= 0x09 && c <= 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0xC0) {
      out += ' ';
      if (out.size() < capacity) out += static_cast<char>(c & 0x7F);
    } else if (c >= 0x80 && i + 1 < in.size()) {
      const unsigned v = (unsigned{c} << 8) | in[++i];
      const std::size_t distance = (v & 0x3FFF) >> 3;
      if (distance == 0 || distance > out.size()) continue;
      for (unsigned k = 0; k < (v & 7) + 3 && out.size() < capacity; ++k) {
        out += out[out.size() - distance];
      }
    }
  }
  return out;
}

TEST(DecoderTest, TheFastPathGivesWhatOneByteAtATimeGives) {
  TestRandom random(3);
  for (int round = 0; round < 300; ++round) {
    // Mostly literals and near references, so that the text grows and references hit.
    Bytes codes;
    while (codes.size() < 600) {
      const unsigned kind = random.below(10);
      if (kind < 5) {
        codes.push_back(static_cast<unsigned char>(0x20 + random.below(0x5F)));
      } else if (kind < 8) {
        const unsigned distance = 1 + random.below(kind == 5 ? 7 : 300);
        const unsigned v = 0x8000 | distance << 3 | random.below(8);
        codes.push_back(static_cast<unsigned char>(v >> 8));
        codes.push_back(static_cast<unsigned char>(v));
      } else {
        codes.push_back(static_cast<unsigned char>(random.below(256)));
      }
    }
    const std::size_t capacity = random.below(2) ? 4096 : random.below(1500);
    const std::size_t piece = 1 + random.below(200);
    std::vector<unsigned char> out(capacity + 1);
    PalmDocDecoder decoder(out.data(), capacity);
    for (std::size_t at = 0; at < codes.size(); at += piece) {
      decoder.feed(codes.data() + at, std::min(piece, codes.size() - at));
    }
    EXPECT_EQ(std::string(out.begin(), out.begin() + decoder.length()),
              decodedByteByByte(codes, capacity))
        << "round " << round;
  }
}

}  // namespace

}  // namespace quillet

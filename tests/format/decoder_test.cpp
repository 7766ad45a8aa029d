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

// The builder's check passes a record only when its codes are whole and give the text
// exactly: text that comes out right from a damaged stream is not enough.
TEST(DecoderTest, TheBuildersCheckWantsWholeCodesAndTheExactText) {
  const std::string text = "abcabcabc and the rest of a line long enough to be read in bulk";
  Bytes codes{'a', 'b', 'c', 0x80, 0x1B};  // "abc", then 6 bytes from 3 back
  for (std::size_t k = 9; k < text.size(); ++k) codes.push_back(static_cast<unsigned char>(text[k]));
  const auto passes = [&](const Bytes& stream, const std::string& expected) {
    return decodesTo(stream.data(), stream.size(),
                     reinterpret_cast<const unsigned char*>(expected.data()), expected.size());
  };
  EXPECT_TRUE(passes(codes, text));
  EXPECT_FALSE(passes(codes, text.substr(0, text.size() - 1)));  // gives a byte more
  EXPECT_FALSE(passes(codes, text + "!"));                         // a byte less
  std::string changed = text;
  changed[40] ^= 0x20;
  EXPECT_FALSE(passes(codes, changed));
  Bytes before = codes;  // a reference before the text adds nothing, yet is damage
  before.insert(before.begin() + 3, {0x80, 0xF8});
  ASSERT_EQ(decodedByteByByte(before, 4096), text);
  EXPECT_FALSE(passes(before, text));
  Bytes cut = codes;  // a run cut off at the end
  cut.push_back(0x03);
  cut.push_back('!');
  EXPECT_FALSE(passes(cut, text + "!"));
}

}  // namespace

}  // namespace quillet

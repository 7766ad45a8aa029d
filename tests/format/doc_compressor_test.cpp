#include "format/doc_compressor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "format/doc_importer.h"
#include "tests/format/scan_compressor_reference.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

Bytes compress(const Bytes& input) {
  Bytes out(2 * input.size() + 16, 0xCC);  // canary bytes past the allowed 2n
  const std::size_t n = compressRecord(out.data(), input.data(), input.size());
  EXPECT_LE(n, 2 * input.size());
  for (std::size_t i = 2 * input.size(); i < out.size(); ++i) {
    EXPECT_EQ(out[i], 0xCC) << "wrote past 2n at " << i;
  }
  out.resize(n);
  return out;
}

std::string compressHex(std::string_view text) { return hexOf(compress(bytesOf(text))); }

Bytes decode(const Bytes& packed, std::size_t capacity) {
  Bytes out(capacity);
  out.resize(decodePalmDoc(packed.data(), packed.size(), out.data(), out.size()));
  return out;
}

TEST(DocCompressorTest, RepeatReachingTheEndIsNotReferenced) {
  EXPECT_EQ(compressHex("abcabc"), "61 62 63 61 62 63");
}

TEST(DocCompressorTest, RepeatFollowedByMoreTextBecomesABackReference) {
  EXPECT_EQ(compressHex("abcabcx"), "61 62 63 80 18 78");
}

TEST(DocCompressorTest, EarliestOccurrenceWinsOverTheNearest) {
  EXPECT_EQ(compressHex("abcdefghijabcdefghijabcdefghij!"),
            "61 62 63 64 65 66 67 68 69 6A 80 57 80 A7 21");
}

TEST(DocCompressorTest, SpacePairsWithTheNextCharacter) {
  EXPECT_EQ(compressHex("a b"), "61 E2");
  EXPECT_EQ(compressHex("  x"), "20 20 78");
  EXPECT_EQ(compressHex("   x"), "20 20 F8");
  EXPECT_EQ(compressHex("a "), "61 20");      // a space at the end is written last
  EXPECT_EQ(compressHex("a 1"), "61 20 31");  // digits lie below 0x40: no pairing
}

TEST(DocCompressorTest, SpaceBeforeABackReferenceIsWrittenPlain) {
  // "abcd" repeats after a space: the held space goes out as 0x20 before the reference.
  EXPECT_EQ(compressHex("abcd abcdx"), "61 62 63 64 20 80 29 78");
}

TEST(DocCompressorTest, EscapedBytesShareCountBytesUpToEight) {
  Bytes input;
  for (int b = 0x80; b <= 0x89; ++b) input.push_back(static_cast<unsigned char>(b));
  EXPECT_EQ(hexOf(compress(input)), "08 80 81 82 83 84 85 86 87 02 88 89");
}

TEST(DocCompressorTest, SingleBytes) {
  EXPECT_EQ(hexOf(compress({0x05})), "01 05");
  EXPECT_EQ(hexOf(compress({0x00})), "00");
  EXPECT_EQ(hexOf(compress({0x09})), "09");
  EXPECT_EQ(compress({}).size(), 0u);
}

TEST(DocCompressorTest, MatchesGrowToTenBytes) {
  // 26 letters twice, then '!': the repeat is coded in references of at most 10 bytes.
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const Bytes packed = compress(bytesOf(alphabet + alphabet + "!"));
  EXPECT_EQ(hexOf(Bytes(packed.begin() + 26, packed.end())), "80 D7 80 D7 80 D3 21");
}

TEST(DocCompressorTest, FindEarliestMatchMayOverlapThePattern) {
  const Bytes run = bytesOf("aaaaaa");
  RecordMatchIndex runIndex(run.data(), run.size());
  EXPECT_EQ(findEarliestMatch(runIndex, 0, 3, 3), 0);
  EXPECT_EQ(findEarliestMatch(runIndex, 2, 3, 3), 2);
  const Bytes text = bytesOf("xyzabc");
  RecordMatchIndex textIndex(text.data(), text.size());
  EXPECT_EQ(findEarliestMatch(textIndex, 0, 3, 3), 3);  // nowhere earlier
}

TEST(DocCompressorTest, EmitLiteralCodes) {
  unsigned char out[4];
  bool space = false;
  EXPECT_EQ(emitLiteral(out, ' ', space), 0u);
  EXPECT_TRUE(space);
  ASSERT_EQ(emitLiteral(out, 0x85, space), 3u);  // the held space, then an escape pair
  EXPECT_EQ(hexOf(Bytes(out, out + 3)), "20 01 85");
  EXPECT_FALSE(space);
}

// Inputs whose choices are hard: runs, distance limits, escapes, spaces, random bytes.
std::vector<Bytes> awkwardInputs() {
  std::vector<Bytes> inputs;
  TestRandom random(7);
  inputs.push_back(Bytes(4096, 'a'));
  inputs.push_back(Bytes(4096, ' '));
  inputs.push_back(Bytes(4096, 0x85));
  inputs.push_back(bytesOf(proseText(4096, 3)));
  // Text that repeats at short distances, and at the window's edge.
  for (std::size_t distance : {1, 2, 3, 5, 9, 10, 11, 2046, 2047, 2048, 2049}) {
    Bytes period(distance);
    for (auto& c : period) c = static_cast<unsigned char>('a' + random.below(26));
    Bytes b;
    while (b.size() < 4096) b.push_back(period[b.size() % distance]);
    inputs.push_back(b);
  }
  // Long runs broken by patterns that start with the run's byte: the ladder's worst walks.
  Bytes runs;
  while (runs.size() < 4096) {
    runs.insert(runs.end(), 1 + random.below(random.below(4) == 0 ? 1500 : 12), 'a');
    runs.push_back(static_cast<unsigned char>('b' + random.below(2)));
  }
  runs.resize(4096);
  inputs.push_back(runs);
  for (const TextKind kind : kAllTextKinds) {
    const std::string text = generatedText(kind, 3 * 4096 + 100, 12);
    for (std::size_t at = 0; at < text.size(); at += 4096) {  // the last record a short one
      inputs.push_back(bytesOf(std::string_view(text).substr(at, 4096)));
    }
  }
  for (int k = 0; k < 300; ++k) {
    Bytes b(1 + random.below(4096));
    const unsigned alphabet = 1 + random.below(k % 3 == 0 ? 255 : 6);
    const unsigned stride = k % 5 == 0 ? 37 : 1;  // small alphabets of high or low bytes
    for (auto& c : b) c = static_cast<unsigned char>(1 + random.below(alphabet) * stride % 255);
    if (k % 4 == 1) {  // sprinkle spaces and letters that pair with them
      for (std::size_t i = 0; i < b.size(); i += 1 + random.below(4)) b[i] = ' ';
    }
    inputs.push_back(b);
  }
  return inputs;
}

TEST(DocCompressorTest, EveryOutputDecodesToItsInputAndStaysWithinTwiceItsSize) {
  for (const Bytes& input : awkwardInputs()) {
    ASSERT_TRUE(std::find(input.begin(), input.end(), 0) == input.end());
    const Bytes packed = compress(input);
    ASSERT_EQ(decode(packed, input.size()), input) << "input of " << input.size() << " bytes";
  }
}

TEST(DocCompressorTest, GivesTheBytesOfThePlainScan) {
  for (const Bytes& input : awkwardInputs()) {
    Bytes scanned(2 * input.size());
    scanned.resize(reference::compressRecordByScan(scanned.data(), input.data(), input.size()));
    ASSERT_EQ(compress(input), scanned)
        << "input of " << input.size() << " bytes: "
        << hexOf(Bytes(input.begin(), input.begin() + std::min<std::size_t>(input.size(), 40)));
  }
}

TEST(DocCompressorTest, FindEarliestMatchAgreesWithThePlainScanForEverySearch) {
  // Every pattern position in order, every length that fits, with the window starting
  // where a search starts, where a growing match starts, and anywhere in between.
  TestRandom random(31);
  std::vector<Bytes> inputs = {bytesOf(proseText(4096, 8)), Bytes(3000, 'z')};
  Bytes periodic;
  for (int i = 0; i < 4096; ++i) {  // mostly "aaaaaab", broken once in a while
    periodic.push_back(static_cast<unsigned char>('a' + (i % 7 == 0) + (i % 2051 == 3)));
  }
  inputs.push_back(periodic);
  for (const Bytes& input : inputs) {
    RecordMatchIndex index(input.data(), input.size());
    const int n = static_cast<int>(input.size());
    for (int p = 0; p < n; ++p) {
      const int floor = std::max(0, p - kMaxMatchDistance);
      for (int length = 1; p + length <= n && length <= 14; ++length) {
        const int grown =
            reference::findEarliestMatchByScan(input.data(), floor, p, std::max(1, length - 1));
        for (const int windowStart :
             {floor, std::min(grown, p),
              floor + static_cast<int>(random.below(static_cast<unsigned>(p - floor + 1)))}) {
          ASSERT_EQ(findEarliestMatch(index, windowStart, p, length),
                    reference::findEarliestMatchByScan(input.data(), windowStart, p, length))
              << "p " << p << ", length " << length << ", window from " << windowStart;
        }
      }
    }
  }
}

TEST(DocCompressorTest, BackReferencesStayInsideTheWindow) {
  for (const Bytes& input : awkwardInputs()) {
    const Bytes packed = compress(input);
    for (std::size_t i = 0; i < packed.size(); ++i) {
      const unsigned char b = packed[i];
      if (b >= 0x01 && b <= 0x08) {
        i += b;
      } else if (b >= 0x80 && b <= 0xBF) {
        const unsigned distance = ((b << 8 | packed[i + 1]) & 0x3FFF) >> 3;
        ASSERT_GE(distance, 1u);
        ASSERT_LE(distance, 2047u);
        ++i;
      }
    }
  }
}

}  // namespace

}  // namespace quillet

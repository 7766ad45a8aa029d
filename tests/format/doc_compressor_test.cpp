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
  Bytes out(2 * input.size() + 16, 0xCC);  // canary bytes past the 2n allowed
  const std::size_t n = compressRecord(out.data(), input.data(), input.size());
  EXPECT_LE(n, 2 * input.size());
  EXPECT_EQ(std::count(out.begin() + 2 * input.size(), out.end(), 0xCC), 16) << "wrote past 2n";
  out.resize(n);
  return out;
}

TEST(DocCompressorTest, ExamplesGiveTheirBytesExactly) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const std::pair<std::string, std::string> cases[] = {
      {"abcabc", "61 62 63 61 62 63"},  // a repeat reaching the end is not referenced
      {"abcabcx", "61 62 63 80 18 78"},
      {"abcdefghijabcdefghijabcdefghij!",  // the earliest occurrence wins over the nearest
       "61 62 63 64 65 66 67 68 69 6A 80 57 80 A7 21"},
      {alphabet + alphabet + "!",  // references of ten bytes at most
       hexOf(bytesOf(alphabet)) + " 80 D7 80 D7 80 D3 21"},
      {"a b", "61 E2"},  // a space pairs with the next character
      {"  x", "20 20 78"},
      {"   x", "20 20 F8"},
      {"a ", "61 20"},                              // a space at the end is written last
      {"a 1", "61 20 31"},                          // digits lie below 0x40: no pairing
      {"abcd abcdx", "61 62 63 64 20 80 29 78"},    // a space before a reference is written plain
      {"\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89",  // escaped bytes share counts, up to 8
       "08 80 81 82 83 84 85 86 87 02 88 89"},
      {"\x05", "01 05"},
      {std::string(1, '\0'), "00"},
      {"\x09", "09"},
      {"", ""},
  };
  for (const auto& [input, packed] : cases) EXPECT_EQ(hexOf(compress(bytesOf(input))), packed);
}

// Inputs whose choices are hard: runs, distance limits, escapes, spaces, random bytes.
std::vector<Bytes> awkwardInputs() {
  std::vector<Bytes> inputs = {Bytes(4096, 'a'), Bytes(4096, ' '), Bytes(4096, 0x85),
                               bytesOf(proseText(4096, 3))};
  TestRandom random(7);
  // Text that repeats at short distances, and at the window's edge.
  for (std::size_t distance : {1, 2, 3, 5, 9, 10, 11, 2046, 2047, 2048, 2049}) {
    Bytes period(distance), b;
    for (auto& c : period) c = static_cast<unsigned char>('a' + random.below(26));
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

// The same bytes (so references reach 1 to 2047 bytes back), decoded by the decoder fed in
// pieces of 1 to 4 bytes, which split runs and references.
TEST(DocCompressorTest, GivesThePlainScansBytesWhichDecodeToTheInput) {
  TestRandom random(3);
  for (const Bytes& input : awkwardInputs()) {
    const Bytes packed = compress(input);
    Bytes scanned(2 * input.size()), decoded(input.size());
    scanned.resize(reference::compressRecordByScan(scanned.data(), input.data(), input.size()));
    ASSERT_EQ(packed, scanned) << input.size() << " bytes: " << hexOf(input).substr(0, 120);
    PalmDocDecoder decoder(decoded.data(), decoded.size());
    for (std::size_t at = 0, piece = 0; at < packed.size(); at += piece) {
      piece = std::min<std::size_t>(1 + random.below(4), packed.size() - at);
      decoder.feed(packed.data() + at, piece);
    }
    ASSERT_EQ(Bytes(decoded.begin(), decoded.begin() + long(decoder.length())), input);
  }
}

// Calls at every position (not only where the compressor would ask), on texts whose long
// walks go over to the forward links: runs, a short period, and runs in many buckets.
TEST(DocCompressorTest, TheBestMatchAgreesWithThePlainScan) {
  Bytes periodic;  // mostly "aaaaaab", broken once in a while
  for (int i = 0; i < 4096; ++i)
    periodic.push_back(static_cast<unsigned char>('a' + (i % 7 == 0) + (i % 2051 == 3)));
  Bytes manyRuns;  // runs of 40 of each of 20 bytes, over and over: more buckets than starts
  for (int i = 0; i < 4096; ++i) manyRuns.push_back(static_cast<unsigned char>('A' + i / 40 % 20));
  for (const Bytes& input : {bytesOf(proseText(4096, 8)), Bytes(3000, 'z'), periodic, manyRuns}) {
    RecordMatchIndex index(input.data(), input.size());
    const int n = static_cast<int>(input.size());
    for (int p = 0; p + kMinMatchLength < n; ++p) {
      const int floor = std::max(0, p - kMaxMatchDistance);
      int length = std::min(kMaxMatchLength, n - p - 1);
      while (length >= kMinMatchLength &&
             reference::findEarliestMatchByScan(input.data(), floor, p, length) == p) {
        --length;
      }
      const RecordMatchIndex::Match match = index.bestMatch(p);
      if (length < kMinMatchLength) {
        ASSERT_EQ(match.length, 0) << "p " << p;
      } else {
        ASSERT_EQ(match.length, length) << "p " << p;
        ASSERT_EQ(match.position, reference::findEarliestMatchByScan(input.data(), floor, p, length))
            << "p " << p;
      }
    }
  }
}

}  // namespace
}  // namespace quillet

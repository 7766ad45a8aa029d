// Reading a text in the unicode profile: finding its charset and writing it in
// Windows-1252, in bytes of source per second, over 5 MB texts held in memory.
#include <benchmark/benchmark.h>

#include <string>

#include "source/charset.h"
#include "tests/support/generated_text.h"

using namespace quillet;

namespace {

using testing_support::proseText;
using testing_support::TestRandom;

constexpr std::size_t kTextSize = 5 * 1000 * 1000;

// Prose where about one character in fifty is not ASCII: accented letters, typographic
// quotation marks and dashes, a few characters Windows-1252 lacks, a decomposed letter.
std::u32string prose(std::size_t characters) {
  static const std::u32string_view kOthers[] = {
      U"\u00E9", U"\u2019", U"\u201C", U"\u201D", U"\u2014", U"\u00FC",
      U"\u00E7", U"\u2026", U"\u0142", U"\u0151", U"\u2192", U"e\u0301",
  };
  TestRandom random(3);
  std::u32string text;
  for (const char c : proseText(characters, 5)) {
    if (c != ' ' && c != '\n' && random.below(50) == 0) {
      text += kOthers[random.below(sizeof kOthers / sizeof kOthers[0])];
    } else {
      text += static_cast<char32_t>(c);
    }
  }
  return text;
}

std::string utf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

std::string utf16le(std::u32string_view text) {
  std::string out = "\xFF\xFE";
  for (const char32_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// About 5 MB of the prose in UTF-8, cut at a character's start.
std::string utf8Prose() {
  std::string text = utf8(prose(kTextSize));
  std::size_t cut = kTextSize;
  while ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

void read(benchmark::State& state, const std::string& text, bool find, Charset charset) {
  for (auto _ : state) {
    CharsetReport report;
    std::string out =
        toWindows1252(text, find ? findCharset(text, false).charset : charset, report);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// What the command line does: find the charset, then transcode.
void BM_ReadUtf8Prose(benchmark::State& s) { read(s, utf8Prose(), true, Charset::kUtf8); }
// The transcoding alone, the charset named.
void BM_TranscodeUtf8Prose(benchmark::State& s) { read(s, utf8Prose(), false, Charset::kUtf8); }
// Plain ASCII: the floor, a look at every eight bytes and a copy.
void BM_ReadAsciiProse(benchmark::State& s) {
  read(s, proseText(kTextSize, 5), true, Charset::kUtf8);
}
void BM_TranscodeUtf16Prose(benchmark::State& s) {
  read(s, utf16le(prose(kTextSize / 2)), false, Charset::kUtf16Le);
}

}  // namespace

BENCHMARK(BM_ReadUtf8Prose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscodeUtf8Prose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAsciiProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscodeUtf16Prose)->Unit(benchmark::kMillisecond);

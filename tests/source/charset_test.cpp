#include "source/charset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace quillet {

namespace {

using namespace std::literals;

// Windows-1252 as the standard defines it: bytes 0x80-0x9F; 0 where it leaves one undefined.
constexpr char32_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code point of a defined Windows-1252 byte, else 0.
char32_t codePointOf(unsigned char b) { return b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b; }

std::string utf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

std::string utf16(std::u32string_view text, bool bigEndian) {
  std::string out;
  auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (const char32_t c : text) {
    if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

// The parts one after another (appended: GCC 12 warns falsely on "literal" + std::string).
std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out += part;
  return out;
}

std::string transcoded(std::string_view bytes, Charset charset, CharsetReport* report = nullptr) {
  CharsetReport local;
  return toWindows1252(bytes, charset, report != nullptr ? *report : local);
}

TEST(CharsetTest, EveryWindows1252CharacterComesBackFromEachUnicodeForm) {
  std::u32string all;
  std::string expected;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = codePointOf(static_cast<unsigned char>(b));
    if (cp == 0 && b != 0) continue;
    all += cp;
    expected += static_cast<char>(b);
  }
  ASSERT_EQ(expected.size(), 251u);
  // All of them in one text, named and each way the charset can be found.
  const struct {
    std::string bytes;
    Charset charset;
    CharsetSource source;
  } forms[] = {
      {utf8(all), Charset::kUtf8, CharsetSource::kContent},
      {cat({"\xEF\xBB\xBF", utf8(all)}), Charset::kUtf8, CharsetSource::kByteOrderMark},
      {cat({"\xFF\xFE", utf16(all, false)}), Charset::kUtf16Le, CharsetSource::kByteOrderMark},
      {cat({"\xFE\xFF", utf16(all, true)}), Charset::kUtf16Be, CharsetSource::kByteOrderMark}};
  for (const auto& form : forms) {
    CharsetReport report, named;
    EXPECT_EQ(readAsWindows1252(form.bytes, std::nullopt, false, report), expected);
    EXPECT_EQ(report.found.source, form.source);
    EXPECT_TRUE(report.clean());
    EXPECT_EQ(transcoded(form.bytes, form.charset, &named), expected);
    EXPECT_TRUE(named.clean());
  }
}

TEST(CharsetTest, EveryByteRoundTripsThroughUtf8) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  const std::string text = windows1252ToUtf8(bytes);
  EXPECT_EQ(text.substr(0x80, 12), "\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80");
  CharsetReport report;
  EXPECT_EQ(toWindows1252(text, Charset::kUtf8, report), bytes);
  EXPECT_TRUE(report.clean());
  EXPECT_EQ(transcoded(bytes, Charset::kWindows1252), bytes);
}

TEST(CharsetTest, CharactersWindows1252LacksTakeTheClosestForm) {
  const struct {
    std::u32string text;
    std::string expected;
    std::size_t replaced;
  } cases[] = {
      {U"\u0151\u0150\u0142\u0141\u0111\u0127\u0131", "oOlLdhi", 7},  // marks and strokes go
      {U"\u01D8\u1EC7\u01C4",
       "\xFC\xEA"
       "D\x8E",
       3},                                                         // marks Windows-1252 has stay
      {U"\uFB01\uFB00\uFF21\u2074\u215B\u2460", "fiffA41/81", 6},  // compatibility forms
      {U"\u2192\u2190\u2194\u2264\u2265\u2260", "-><-<-><=>=!=", 6},
      {U"\u2032\u2033\u2010\u2011\u2012\u2212\u2044", "'\"----/", 7},
      {U"a\u2003b\u3000c\u202Fd", "a b c d", 3},                 // spaces of every width
      {U"a\u200Bb\u200C\u200Dc\u2060\uFEFFd\uFE0F", "abcd", 6},  // zero width vanishes
      {U"\u4E2D\u03A9\U0001F600\u226E", "????", 4},              // nothing close: "?"
      {U"\U0001F44D\U0001F3FD", "?", 2},                         // the skin tone vanishes
      {U"\u0092\u0085", "\x92\x85", 2},  // C1 controls: Windows-1252 read as ISO-8859-1
      {U"a\u2028b", "a\nb", 1},
      {U"\u212A\u212B\u00A0\u00AD", "K\xC5\xA0\xAD", 0},  // canonical equivalents are exact
      // Decomposed text is composed first, marks put in canonical order.
      {U"e\u0301o\u0308A\u030A", "\xE9\xF6\xC5", 0},
      {U"a\u0302\u0323|a\u0323\u0302", "\xE2|\xE2", 2},  // U+1EAD both ways
      {U"c\u0301\u0327", "\xE7", 1},    // cedilla first: U+1E09 (c, cedilla, acute), not c-acute
      {U"a\u0305\u0301", "a", 2},       // a mark of the same class between blocks the acute
      {U"\u00E9\u0323", "e", 2},        // the e-acute comes apart: U+1EB9 and a lone acute
      {U"\u0301x", "x", 1},             // a mark with nothing before it
      {U"\u1100\u1161\u11A8", "?", 1},  // Hangul jamo make one syllable
  };
  for (const auto& c : cases) {
    CharsetReport report;
    const std::string bytes = utf8(c.text);
    EXPECT_EQ(transcoded(bytes, Charset::kUtf8, &report), c.expected) << bytes;
    EXPECT_EQ(report.replaced, c.replaced) << bytes;
    EXPECT_EQ(report.invalid, 0u) << bytes;
    EXPECT_EQ(transcoded(utf16(c.text, true), Charset::kUtf16Be), c.expected) << bytes;
  }
}

TEST(CharsetTest, EachInvalidSequenceIsOneQuestionMark) {
  const struct {
    std::string bytes;
    std::string expected;
    std::size_t invalid;
  } cases[] = {
      {"a\xC3(b", "a?(b", 1},  // a lead byte without its continuation
      {"\xE2\x82", "?", 1},    // cut off at the end: one maximal part
      {"\xF0\x9F\x98!", "?!", 1},
      {"\xC0\xAF\xC1\xBF", "????", 4},                 // overlong forms: no byte can start them
      {"\xE0\x80\xAF\xF0\x8F\xBF\xBF", "???????", 7},  // ... or go on after these
      {"\xED\xA0\x80", "???", 3},                      // an encoded surrogate
      {"\xF4\x90\x80\x80", "????", 4},                 // beyond U+10FFFF
      {"\x80\xBF\xF8\xFF", "????", 4},
      {"\xE2\x82\xAC\xE2\x82", "\x80?", 1},
  };
  for (const auto& c : cases) {
    CharsetReport report;
    EXPECT_EQ(transcoded(c.bytes, Charset::kUtf8, &report), c.expected) << c.bytes;
    EXPECT_EQ(report.invalid, c.invalid) << c.bytes;
    EXPECT_EQ(report.replaced, 0u) << c.bytes;
    // Unless UTF-8 is named, such a file is Windows-1252 and read as it is.
    CharsetReport found;
    EXPECT_EQ(readAsWindows1252(c.bytes, std::nullopt, false, found), c.bytes);
    EXPECT_EQ(found.found.charset, Charset::kWindows1252);
  }
  const struct {
    std::string bytes;
    std::string expected;
  } utf16Cases[] = {
      {std::string("\x00\xD8"
                   "A\0",
                   4),
       "?A"},                                 // a high surrogate and no low one
      {std::string("A\0\x00\xDC", 4), "A?"},  // a low surrogate alone
      {std::string("A\0\x3D\xD8", 4), "A?"},  // a high surrogate at the end
      {std::string("A\0B", 3), "A?"},         // an odd last byte
  };
  for (const auto& c : utf16Cases) {
    CharsetReport report;
    EXPECT_EQ(transcoded(c.bytes, Charset::kUtf16Le, &report), c.expected);
    EXPECT_EQ(report.invalid, 1u);
  }
}

TEST(CharsetTest, TheReportKeepsTheFirstEightWithTheirLines) {
  // Line ends of every kind; a NUL passes as it is.
  const std::string text = utf8(U"\u0151\n\u2192x\r\n\u4E2D\r\r\u200B\0y\u2003\n"sv) + "\xFF" +
                           utf8(U"\n\u0142\u0142\u0142\u0142\u0142");
  CharsetReport report;
  EXPECT_EQ(toWindows1252(text, Charset::kUtf8, report), "o\n->x\r\n?\r\r\0y \n?\nlllll"s);
  EXPECT_EQ(report.replaced, 10u);
  EXPECT_EQ(report.invalid, 1u);
  const struct {
    std::size_t line;
    char32_t codePoint;
    std::string written;
    bool invalid;
  } expected[] = {{1, 0x151, "o", false}, {2, 0x2192, "->", false}, {3, 0x4E2D, "?", false},
                  {5, 0x200B, "", false}, {5, 0x2003, " ", false},  {6, 0xFFFD, "?", true},
                  {7, 0x142, "l", false}, {7, 0x142, "l", false}};
  ASSERT_EQ(report.first.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(report.first[i].line, expected[i].line) << i;
    EXPECT_EQ(report.first[i].codePoint, expected[i].codePoint) << i;
    EXPECT_EQ(report.first[i].written, expected[i].written) << i;
    EXPECT_EQ(report.first[i].invalid, expected[i].invalid) << i;
  }
  EXPECT_EQ(report.first[5].original, "\xFF");
  // UTF-16 counts lines in code units.
  CharsetReport wide;
  toWindows1252(utf16(U"a\r\nb\rc\n\u4E2D", false), Charset::kUtf16Le, wide);
  ASSERT_EQ(wide.first.size(), 1u);
  EXPECT_EQ(wide.first[0].line, 4u);
  // Kept by line when a second step adds its own.
  CharsetReport merged;
  for (const std::size_t line : {3, 9, 9, 1, 9, 2, 20, 4, 5, 6}) {
    CharsetReplacement r;
    r.line = line;
    merged.keep(r);
  }
  std::vector<std::size_t> lines;
  for (const auto& r : merged.first) lines.push_back(r.line);
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 9, 9}));
}

// Everything a report holds, in one line.
std::string described(const CharsetReport& report) {
  std::string out = std::to_string(report.replaced) + " " + std::to_string(report.invalid);
  for (const CharsetReplacement& r : report.first) {
    out += " | " + std::to_string(r.line) + " " + std::to_string(r.codePoint) + " '" +
           r.written + "' " + (r.invalid ? "invalid " + r.original : "");
  }
  return out;
}

TEST(CharsetTest, ReadingInPlaceAStretchAtATimeGivesWhatReadingInOneGoGives) {
  std::u32string manyLines;
  for (int i = 0; i < 20; ++i) manyLines += U"line \u0142\n";
  const std::u32string texts[] = {
      // Marks just after a line feed, line ends of every kind, zero-width characters.
      U"e\n\u0301x\n\na\u0308\r\n\u0308\rb\u200B\u2003\n\u4E2D"s,
      // A character with a canonical equivalent just after a line feed.
      U"\uFE61\n\uF909A\n\u212B\n"s,
      // Each written longer than it was read, so the writing overtakes the reading.
      U"\u33C2\u33C2\u33C2\n\u33C2\u33C2\nend\u33C2"s,
      // More replacements than a report keeps, on many lines.
      manyLines,
      // Units holding a byte 0x0A that is no line feed; a character beyond the BMP.
      U"\u0A0D\u0D0A\u0A0A\n\U0001F600\n\u0A05\u0100\u0A05\n"s,
      U""s,
  };
  std::vector<std::pair<std::string, Charset>> sources;
  for (const std::u32string& text : texts) {
    // Lines are counted alike in bytes and in 16-bit units.
    CharsetReport bytes, units;
    EXPECT_EQ(toWindows1252(utf8(text), Charset::kUtf8, bytes),
              toWindows1252(utf16(text, false), Charset::kUtf16Le, units));
    EXPECT_EQ(described(bytes), described(units));
    sources.push_back({utf8(text), Charset::kUtf8});
    sources.push_back({"\xEF\xBB\xBF" + utf8(text), Charset::kUtf8});
    sources.push_back({utf16(text, false), Charset::kUtf16Le});
    sources.push_back({"\xFE\xFF" + utf16(text, true), Charset::kUtf16Be});
  }
  // Invalid sequences at line ends: cut short, a lone surrogate, an odd last byte.
  sources.push_back({"a\xE2\x82\nb\xFF\n\xC3", Charset::kUtf8});
  sources.push_back({utf16(U"a\n", false) + "\x00\xD8\x0A\x00x", Charset::kUtf16Le});
  for (const auto& [bytes, charset] : sources) {
    CharsetReport whole;
    const std::string expected = toWindows1252(bytes, charset, whole);
    for (const std::size_t stretch : {1, 2, 3, 7, 64, 1 << 20}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(charset) << " stretch " << stretch
                                      << " bytes " << bytes.size());
      HeapText block(static_cast<char*>(std::malloc(bytes.size() + 1)));
      std::memcpy(block.get(), bytes.data(), bytes.size());
      CharsetReport report;
      const std::size_t length = toWindows1252InPlace(block, bytes.size(), charset, report, stretch);
      EXPECT_EQ(std::string(block.get(), length), expected);
      EXPECT_EQ(described(report), described(whole));
    }
  }
}

TEST(CharsetTest, TheCharsetIsFoundByMarkThenNameThenMetaThenContent) {
  const std::string utf8Text = "caf\xC3\xA9";
  const struct {
    std::string bytes;
    bool html;
    std::optional<Charset> named;
    Charset charset;
    CharsetSource source;
  } cases[] = {
      {"\xEF\xBB\xBFx", false, std::nullopt, Charset::kUtf8, CharsetSource::kByteOrderMark},
      {"\xFF\xFEx", false, Charset::kUtf8, Charset::kUtf16Le, CharsetSource::kByteOrderMark},
      {"\xFE\xFFx", true, std::nullopt, Charset::kUtf16Be, CharsetSource::kByteOrderMark},
      {utf8Text, false, Charset::kWindows1252, Charset::kWindows1252, CharsetSource::kNamed},
      {"<meta charset=utf-8>x", true, Charset::kUtf16Be, Charset::kUtf16Be, CharsetSource::kNamed},
      {utf8Text, false, std::nullopt, Charset::kUtf8, CharsetSource::kContent},
      {"plain ASCII", false, std::nullopt, Charset::kWindows1252, CharsetSource::kDefault},
      {"caf\xE9", false, std::nullopt, Charset::kWindows1252, CharsetSource::kDefault},
      {utf8Text + "\xE9", false, std::nullopt, Charset::kWindows1252, CharsetSource::kDefault},
      // Meta, in the forms browsers accept.
      {"<meta charset=\"utf-8\">caf\xE9", true, std::nullopt, Charset::kUtf8, CharsetSource::kMeta},
      {"<META CHARSET=UTF8>", true, std::nullopt, Charset::kUtf8, CharsetSource::kMeta},
      {cat({"<meta/charset='windows-1252'>", utf8Text}), true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kMeta},
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">", true,
       std::nullopt, Charset::kUtf8, CharsetSource::kMeta},
      {"<meta content='text/html;charset = \"UTF-8\"' http-equiv=content-type>", true, std::nullopt,
       Charset::kUtf8, CharsetSource::kMeta},
      {"<meta charset=utf-16le>", true, std::nullopt, Charset::kUtf8, CharsetSource::kMeta},
      {"<meta charset=x-user-defined>", true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kMeta},
      {cat({"<meta charset=latin1>", utf8Text}), true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kMeta},
      // Meta passed over: without the pragma, in a comment, in another tag's attribute, in
      // a text file, past the first 1024 bytes.
      {"<meta content=\"text/html; charset=utf-8\">", true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kDefault},
      {"<!-- <meta charset=utf-8> -->", true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kDefault},
      {"<a title='<meta charset=utf-8>'>", true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kDefault},
      {"<meta charset=utf-8>", false, std::nullopt, Charset::kWindows1252, CharsetSource::kDefault},
      {std::string(1020, ' ') + "<meta charset=utf-8>", true, std::nullopt, Charset::kWindows1252,
       CharsetSource::kDefault},
  };
  for (const auto& c : cases) {
    const CharsetFound found = findCharset(c.bytes, c.named, c.html);
    EXPECT_EQ(found.charset, c.charset) << c.bytes;
    EXPECT_EQ(found.source, c.source) << c.bytes;
  }
  // A charset that cannot be read here is passed over, and named.
  const CharsetFound latin2 = findCharset(cat({"<meta charset=\" ISO-8859-2\">", utf8Text}), true);
  EXPECT_EQ(latin2.charset, Charset::kUtf8);
  EXPECT_EQ(latin2.source, CharsetSource::kContent);
  EXPECT_EQ(latin2.unsupported, "iso-8859-2");
}

TEST(CharsetTest, NamesForTheCommandLine) {
  const struct {
    const char* name;
    std::optional<Charset> charset;
  } cases[] = {{"utf-8", Charset::kUtf8},
               {"UTF8", Charset::kUtf8},
               {"utf-16", Charset::kUtf16Le},
               {"UTF-16LE", Charset::kUtf16Le},
               {"utf-16be", Charset::kUtf16Be},
               {"windows-1252", Charset::kWindows1252},
               {"CP1252", Charset::kWindows1252},
               {"iso-8859-1", Charset::kWindows1252},
               {"Latin1", Charset::kWindows1252},
               {"us-ascii", Charset::kWindows1252},
               {"utf-7", std::nullopt},
               {"iso-8859-2", std::nullopt},
               {"", std::nullopt},
               {"x-user-defined", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(charsetNamed(c.name), c.charset) << c.name;
  // A UTF-16 text with no mark is read little-endian when UTF-16 is named.
  CharsetReport report;
  EXPECT_EQ(
      readAsWindows1252(utf16(U"\u00E9t\u00E9", false), charsetNamed("utf-16"), false, report),
      "\xE9t\xE9");
}

}  // namespace

}  // namespace quillet

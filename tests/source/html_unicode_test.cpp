// The HTML converter in the unicode reading profile: HTML5 references, the page's charset,
// the report, the title as a book name.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "source/charset.h"
#include "source/charset_tables.h"
#include "source/html_converter.h"

namespace quillet {

namespace {

// The body of a page converted in the markup form with no title search.
std::string converted(std::string_view html, CharsetReport* report = nullptr) {
  return convertHtmlToString(html, false, false, HtmlReading{ReferenceRules::kHtml5, report});
}

// Windows-1252 byte by code point: 0x80-0x9F as the standard gives them (0: undefined), the
// rest as in ISO-8859-1.
std::map<char32_t, unsigned char> windows1252Bytes() {
  constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::map<char32_t, unsigned char> bytes;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char32_t>(b);
    if (cp != 0 || b == 0) bytes[cp] = static_cast<unsigned char>(b);
  }
  return bytes;
}

TEST(HtmlUnicodeTest, EveryNamedReferenceWithAWindows1252FormGivesIt) {
  const auto bytes = windows1252Bytes();
  int checked = 0;
  for (const auto& entity : charset_data::kHtml5Entities) {
    const std::string name(charset_data::kHtml5EntityNames + entity.nameOffset, entity.nameLength);
    std::string expected = "x";
    bool has = true;
    for (const char32_t cp : {entity.first, entity.second}) {
      if (cp == 0) continue;
      const auto it = bytes.find(cp);
      if (it == bytes.end()) {
        has = false;
      } else {
        expected += static_cast<char>(it->second);
      }
    }
    if (!has) continue;
    // Blanks, the non-breaking space included, are whitespace: one space.
    if (expected == "x\t" || expected == "x\n" || expected == "x\xA0") expected = "x ";
    CharsetReport report;
    std::string page = "x&";  // appended: GCC 12 warns falsely on "literal" + std::string
    page += name;
    page += '!';
    EXPECT_EQ(converted(page, &report), expected + "!") << name;
    EXPECT_TRUE(report.clean()) << name;
    ++checked;
  }
  EXPECT_GE(checked, 300);  // 305 in the table of Python 3.11
}

TEST(HtmlUnicodeTest, ReferencesAreMatchedAndDecodedAsHtml5Does) {
  const struct {
    const char* html;
    const char* expected;
    std::size_t replaced;
    std::size_t invalid;
  } cases[] = {
      {"&mdash;&hellip;&rsquo;&euro;&eacute;", "\x97\x85\x92\x80\xE9", 0, 0},
      // The longest name; legacy names without ';'.
      {"&notin; &notit; &not", "? \xACit; \xAC", 1, 0},
      {"&amp &ampx &AMP; &Amp; &amp;lt;", "& &x & &Amp; &lt;", 0, 0},
      {"&eacutex &Eacute", "\xE9x \xC9", 0, 0},
      {"&mdash &foo; & &; a&b", "&mdash &foo; & &; a&b", 0, 0},  // not legacy, unknown, bare
      {"a&nbsp;&nbsp;b&nbsp c", "a b c", 0, 0},
      {"&NBSP;", "&NBSP;", 0, 0},  // names compare with case
      {"&rarr;&le;&ne;&Omega;&zwj;", "-><=!=?", 3 + 1 + 1, 0},
      {"&nvlt;", "<", 1, 0},  // two code points: the second (U+20D2) vanishes
      // Numbers of any length, decimal or hexadecimal, ';' optional.
      {"&#x2019;&#8217;&#X2019&#0000065;&#65x",
       "\x92\x92\x92"
       "AAx",
       0, 0},
      {"&#150;&#x80;&#129;", "\x96\x80\x81", 0, 0},  // 0x80-0x9F read as Windows-1252
      {"&#x2192;&#20013;", "->?", 2, 0},
      {"&#0;&#xD800;&#xDFFF;&#x110000;&#99999999999999999999;", "?????", 0, 5},
      {"&#; &#x; &#xg; &#a", "&#; &#x; &#xg; &#a", 0, 0},
      {"a&#32;&#32;b&#x9;c&NewLine;d", "a b c d", 0, 0},  // blanks are whitespace
  };
  for (const auto& c : cases) {
    CharsetReport report;
    EXPECT_EQ(converted(c.html, &report), c.expected) << c.html;
    EXPECT_EQ(report.replaced, c.replaced) << c.html;
    EXPECT_EQ(report.invalid, c.invalid) << c.html;
  }
}

TEST(HtmlUnicodeTest, BoldRaisesEveryLetterAReferenceGives) {
  EXPECT_EQ(converted("<b>a&eacute;&#233;&scaron;&oelig;&zcaron;&yuml;&thorn;&lstrok;</b>"),
            "A\xC9\xC9\x8A\x8C\x8E\x9F\xDEL");
  // No capital in Windows-1252: as they are; letters typed in the page: a-z only.
  EXPECT_EQ(converted("<b>&szlig;&micro;&ordf;&divide;\xE9z</b>"), "\xDF\xB5\xAA\xF7\xE9Z");
}

TEST(HtmlUnicodeTest, ThePageIsDecodedFirstAndItsMarkupStays) {
  const std::string page =
      "<html><head><meta charset=\"utf-8\"><title>Caf\xC3\xA9 \xE2\x86\x92 Bar</title>\n"
      "<style>p { content: \"\xE2\x80\x94\"; }</style></head>\n"
      "<body><p title=\"a \xE2\x86\x92 b\">Lo\xC3\xAF"
      "c &rarr; x&lt;y\n"
      "\xE4\xB8\xAD &#0; e\xCC\x81</p>";
  CharsetReport report;
  std::string title;
  const std::string text = convertHtmlUnicode(page, std::nullopt, false, true, report, &title);
  EXPECT_EQ(text,
            "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"Caf\xE9 -> Bar\">\r\n"
            " \r\n\r\nLo\xEF"
            "c -> x<y ? ? \xE9");
  EXPECT_EQ(title, "Caf\xE9 -> Bar");
  EXPECT_EQ(report.found.charset, Charset::kUtf8);
  EXPECT_EQ(report.found.source, CharsetSource::kMeta);
  // The page's own characters and its references, in the order of their lines; what lies
  // in markup is counted too.
  EXPECT_EQ(report.replaced, 4u);
  EXPECT_EQ(report.invalid, 1u);
  ASSERT_EQ(report.first.size(), 5u);
  const std::size_t lines[] = {1, 3, 3, 4, 4};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(report.first[i].line, lines[i]) << i;
  EXPECT_EQ(report.first[2].codePoint, U'\u2192');  // &rarr;, after the raw arrow before it
  EXPECT_EQ(report.first[4].original, "&#0;");
  // Named: the same page read as Windows-1252 keeps its bytes.
  CharsetReport named;
  EXPECT_NE(convertHtmlUnicode(page, Charset::kWindows1252, false, true, named).find("Lo\xC3\xAF"),
            std::string::npos);
}

TEST(HtmlUnicodeTest, TheTitleIsItsTextDecodedWithBlanksCollapsed) {
  const struct {
    const char* page;
    const char* title;
  } cases[] = {
      {"<title>Caf&eacute;  &amp;\r\n\t Bar&nbsp;</title>", "Caf\xE9 & Bar"},
      {"<TITLE lang=en> One &mdash; Two </Title>", "One \x97 Two"},
      {"<!-- <title>Old</title> --><title>New</title>", "New"},
      {"<titles>No</titles><title>Yes", "Yes"},
      {"<title><b>&#x2192;&#0;</b></title>", "<b>->?</b>"},
      {"<p>No title</p>", ""},
      {"<title>", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(pageTitle(c.page), c.title) << c.page;
}

}  // namespace

}  // namespace quillet

#include "source/html_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "source/html_entities.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

enum Form { M, P, MN, PN };  // markup, plain text; each also without the title search

// Each page gives its text; plain text also ends with the trailer "<\x8D>".
void expectConversions(std::initializer_list<std::tuple<Form, std::string, std::string>> cases) {
  for (const auto& [form, html, text] : cases) {
    const bool plain = form == P || form == PN, title = form == M || form == P;
    EXPECT_EQ(convertHtmlToString(html, plain, title), text + (plain ? "<\x8D>" : "")) << html;
  }
}

// The bytes written for a line end (N, two: NN), the title's header line (T), a heading's
// (H), their closer (C), a header wrapped onto the next line (W), an indent (I), a bullet (B).
const std::string N = "\r\n", T = "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"",
                  H = "<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"", C = "\">",
                  W = C + N + H, NN = N + N, I = "   ", B = "\x95 ";

// clang-format off
TEST(HtmlConverterTest, TheTitleComesFirstOnItsOwnLineWhatPrecedesItPassedOver) {
  const std::string word(10001, 'w'), page = "<TITLE>Short</TITLE></HEAD>\r\n<BODY>Hi",
                    hi = "<html><body>Hi <b>there</b></body>";
  const std::string longTitle = "<TITLE>A Very Long Title For Testing</TITLE>";
  expectConversions({
    {M, "", ""}, {P, "", ""}, {PN, "", ""},
    // Without a title the whole page is the body; without the search the title is text.
    {M, hi, "Hi THERE"}, {P, hi, "Hi THERE"}, {MN, "<TITLE>Short</TITLE>Hi", "ShortHi"},
    {M, page, T + "Short" + C + N + " Hi"}, {P, page, N + "Short" + N + " Hi"},
    {M, "Lost <P>text<title lang=en>Found</title >kept", T + "Found" + C + N + "kept"},
    {M, "<TITLE></TITLE>x", T + C + N + "x"},
    // The search reads raw text: a title inside an earlier comment is the one taken.
    {M, "<!-- <TITLE>Old</TITLE> --><TITLE>New</TITLE>body", T + "Old" + C + N + " -->Newbody"},
    // Long titles wrap past column 20 in markup only; plain ones lose a blank past 10000.
    {M, longTitle, T + "A Very Long Title For" + W + "Testing" + C + N},
    {P, longTitle, N + "A Very Long Title For Testing" + N},
    {M, "<TITLE>Twenty chars exactly y z</TITLE>", T + "Twenty chars exactly y" + W + "z" + C + N},
    {P, "<TITLE>" + word + " x  y</TITLE>", N + word + "x y" + N},
    // The title ends at its stop text even inside a comment or a tag.
    {M, "<TITLE>A<!-- </TITLE> -->B</TITLE>C", T + "A" + C + N + " -->BC"},
    {M, "<TITLE>A<I class=</title>B", T + "A" + C + N + "B"},
    {M, "<TITLE>Say &quot;hi&quot;</TITLE>", T + "Say \"hi\"" + C + N},
    // Unfinished titles still get their closer; no title at all: back to the start.
    {M, "<TITLE>Only a title", T + "Only a title" + C + N},
    {P, "<TITLE>Only a title", N + "Only a title" + N},
    {M, "<TITLE", T + C + N}, {M, "<TITLE>x</TITLE", T + "x" + C + N}, {M, "x<TITL", "x"},
  });
}

TEST(HtmlConverterTest, WhitespaceRunsBecomeOneSpaceReferencesBytesAndBlocksBreakAndIndent) {
  expectConversions({
    {M, " a \t\r\n b\n", " a b "}, {M, "a&nbsp;&NBSP; &nbsp;b", "a b"},
    {M, "a&#160; b", "a\xA0 b"},  // a numeric 160 is an ordinary character
    {M, "a\x0B\x0C\x85 b", "a\x0B\x0C\x85 b"},  // only four bytes are whitespace
    {M, "a<BR>  \r\n&nbsp;b", "a" + N + "b"},
    // Tags without an action leave the whitespace state alone.
    {M, "Hello <I>big</I> world", "Hello big world"}, {M, "a < b and c > d", "a d"},
    {M, "a <EM> </EM> <H6>b</H6> <TH>c</TR ><A href=x>d</A>", "a b cd"},
    {M, "&AMP; &#65; R&D &", "&AMP; &#65; R&D &"}, {M, "fin &eacute;", "fin \xE9"},
    {M, "fin &#06", "fin &#06"},
    // A numeric zero yields nothing and starts no line.
    {M, "a &#000; b", "a b"}, {M, "<UL>&#000;</UL>x", NN + "x"}, {M, "<UL>&amp;", NN + I + "&"},
    // Lists, definitions, quotes and table cells break and indent.
    {M, "x<UL><LI>One<LI>Two</UL>", "x" + NN + I + B + "One" + N + I + B + "Two" + NN},
    {M, "<LI> One", N + B + " One"}, {M, "a<LINK rel=x>b", "a" + N + B + "b"},  // "<LI" a prefix
    {M, "<ol><li>a<ul><li>b</ul></ol>c", NN + I + B + "a" + NN + I + I + B + "b" + NN + "c"},
    // Unbalanced closers indent nothing until balanced.
    {M, "</UL>a<UL>b<UL>c", NN + "a" + NN + "b" + NN + I + "c"},
    {M, "x<DL><DT>Term<DD>Meaning</DL>", "x" + NN + I + "\x9B Term" + NN + I + "\xBB Meaning" + NN},
    {M, "<DT>a", NN + "\x9B a"}, {M, "a<BR><DD>b", "a" + NN + "\xBB b"},
    // Block quotes indent from the next line start.
    {M, "x<BLOCKQUOTE>a<BR>b</BLOCKQUOTE><BR>c", "xa" + N + I + "b" + N + "c"},
    // Cells indent by their number and keep it after the table; cells and lists add up.
    {M, "<TABLE><TR><TD>a<TD>b<TR><TD>c</TABLE>after",
     NN + I + "a" + N + I + I + "b" + NN + I + "c" + NN + I + "after"},
    {M, "<UL><TD>a", NN + I + I + "a"},
  });
}

TEST(HtmlConverterTest, MarksRulesAndHeadingsAreWrittenCommentsScriptsAndStylesDropped) {
  const std::string plainRule = N + "     " + std::string(20, '\x97') + N;
  const std::string page = "x<H1>Chapter One of the Long Story</H1>after it";
  const std::string longLine = "after the heading a line runs on well past twenty columns";
  expectConversions({
    {M, "x<SUP>2</SUP>", "x(2)"}, {M, "<UL><sup>2</sup>", NN + "(2)"},  // no indent before "("
    {M, "<B>caf&eacute;</B> ok", "CAF\xC9 ok"}, {M, "<b>caf\xE9 &#097;&sup2;</b>", "CAF\xE9 a\xB2"},
    {M, "<B class=x>not</B>bold", "notBOLD"},  // "<B" with attributes is no bold
    // A stray closer turns capitals on until an opener brings the depth back to 0.
    {M, "a</B>b<B>c<B>d", "aBcD"},
    {M, "a<HR>b", "a" + N + "<HRULE>b"}, {M, "a<P><HR> b", "a" + NN + "<HRULE>b"},
    {M, "<HR><HR>", N + "<HRULE><HRULE>"}, {P, "a<hr noshade>b", "a" + plainRule + "b"},
    // Headings wrap in markup and stand alone in plain text; outside them nothing wraps.
    {M, page, "x" + NN + H + "Chapter One of the Long" + W + "Story" + C + N + "after it"},
    {P, page, "x" + NN + "Chapter One of the Long Story" + NN + "after it"},
    {M, "<h5>T</h5>" + longLine, NN + H + "T" + C + N + longLine},
    {M, "a</H2>b", "a" + C + N + "b"}, {P, "a</H2>b", "a" + NN + "b"},  // an end alone closes
    // Comments, scripts and styles are dropped; pass-through comments are copied.
    {M, "a<!-- <P> & -- > -->b", "ab"}, {M, "a<!-->b", "ab"},  // the shortest is complete
    {M, "a<!--->b-->c", "ab-->c"}, {M, "a<!DOCTYPE html>b", "ab"},
    {M, "a<!-- never closed <P> b", "a"}, {M, "a<!--ql copied?-->b", "ab"},
    {M, "a<!--QL<HRULE>\r\n  &amp; <B>x-->b", "a<HRULE>\r\n  &amp; <B>xb"},
    {M, "a<!--QL open to the end &amp;", "a open to the end &amp;"},
    // A pass-through changes no counter: the line keeps its column, so a space follows.
    {M, "x<!--QL\r\n-->  y", "x\r\n y"},
    // Inside a title it is copied whole, a "</TITLE" in it included.
    {M, "<TITLE>a<!--QL</TITLE>-->b</TITLE>c", T + "a</TITLE>b" + C + N + "c"},
    // Scripts and styles up to their exact closer.
    {M, "a<SCRIPT>if (a<b) s='</B>';</script>b", "ab"}, {M, "a<script>x/SCRIPT >y</Script>b", "ab"},
    {M, "a<STYLE>p { }</style>b", "ab"}, {M, "a<script>never closed", "a"},
    // Unclosed tags at the end still act.
    {M, "text<P", "text" + NN}, {M, "text <", "text "}, {M, "text<B>", "text"},
  });
}

TEST(HtmlConverterTest, FileFormWritesTheTextFormsBytesAndNothingWhenItFails) {
  TempDir dir;
  const std::string in = dir.file("in.html"), out = dir.file("out.txt");
  std::string page = "<title>Big</title><ul>";
  for (int i = 0; i < 5000; ++i) page += "<li>item &eacute; <b>" + std::to_string(i) + "</b>";
  page += "<!--QL" + std::string(40000, 'q') + "--><h1>end</h1>";
  writeFile(in, page);
  writeFile(out, std::string(200000, 'z'));  // replaced, not kept
  for (bool publicFormat : {false, true}) {
    EXPECT_EQ(convertHtml(in.c_str(), out.c_str(), publicFormat, true), 0);
    EXPECT_EQ(readFile(out), bytesOf(convertHtmlToString(page, publicFormat, true)));
  }
  // Failures return 0 too: a missing source empties the output; an output that cannot be
  // made is not.
  EXPECT_EQ(convertHtml(dir.file("missing.html").c_str(), out.c_str(), true, true), 0);
  EXPECT_TRUE(readFile(out).empty());
  EXPECT_EQ(convertHtml(in.c_str(), dir.file("no/such/out.txt").c_str(), false, true), 0);
  EXPECT_FALSE(fileExists(dir.file("no/such/out.txt")));
}

TEST(HtmlEntitiesTest, ReferencesGiveTheirByteAndLength) {
  using enum EntityKind;
  struct Row { std::string text; EntityKind kind = kNoMatch; int byte = 0; unsigned length = 0;
               bool bold = false; };
  const Row cases[] = {
    // Names compare with case; the ';' belongs to the name; only the listed names are known.
    {"&amp;", kByte, 0x26, 5}, {"&amp;rest of the text", kByte, 0x26, 5}, {"&amp"}, {"&AMP;"},
    {"&Amp;"}, {"&EACUTE;"}, {"&eacute;", kByte, 0xE9, 8}, {"&Eacute;", kByte, 0xC9, 8},
    {"&aring;"}, {"&otilde;"}, {"&oslash;"}, {"&yacute;"}, {"&yuml;"}, {"&aelig;"}, {"&mdash;"},
    {"&hellip;"}, {"&euro;"}, {"&"}, {"&;"}, {"&#;"},
    // Bold raises only the letters that have a capital form, never a numeric reference.
    {"&eacute;", kByte, 0xC9, 8, true}, {"&uuml;", kByte, 0xDC, 6, true},
    {"&sup2;", kByte, 0xB2, 6, true}, {"&szlig;", kByte, 0xDF, 7, true},
    {"&amp;", kByte, 0x26, 5, true}, {"&#097;", kByte, 0x61, 6, true},
    // The non-breaking space is the one name in any case.
    {"&nbsp;", kSpace, ' ', 6}, {"&NBSP;", kSpace, ' ', 6}, {"&Nbsp;x", kSpace, ' ', 6},
    {"&nbsp"}, {"&nbsp x"},
    // Numeric references take exactly three digits, modulo 256 (a low byte 0 is a byte).
    {"&#065;", kByte, 0x41, 6}, {"&#160;", kByte, 0xA0, 6}, {"&#300;", kByte, 0x2C, 6},
    {"&#999;", kByte, 0xE7, 6}, {"&#256;", kByte, 0x00, 6}, {"&#000;", kNothing, 0, 6},
    {"&#65;"}, {"&#0065;"}, {"&#1;"}, {"&#x41;"}, {"&#X041;"}, {"&#06a;"}, {"&#065"}, {"&#06"},
    {"&# 65;"},
    // Rows of the table: both ends and a capital.
    {"&plusmn;", kByte, 0xB1, 8}, {"&div;", kByte, 0xF7, 5}, {"&Ntilde;", kByte, 0xD1, 8},
  };
  for (const Row& c : cases) {
    const EntityMatch m = matchEntity(c.text, c.bold);
    EXPECT_EQ(std::tuple(m.kind, int{m.byte}, static_cast<unsigned>(m.length)),
              std::tuple(c.kind, c.byte, c.length)) << c.text;
  }
}
// clang-format on

}  // namespace
}  // namespace quillet

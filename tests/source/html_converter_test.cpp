#include "source/html_converter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// Visible names for the bytes the converter writes, so that the expectations read as text.
const std::string CRLF = "\r\n";
const std::string kTitleOpen = "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"";
const std::string kHeadOpen = "<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"";
const std::string kClose = "\">";
const std::string kWrap = kClose + CRLF + kHeadOpen;
const std::string kTrailer = "<\x8D>";
const std::string kBullet = "\x95 ";

std::string markup(std::string_view html, bool useTitle = true) {
  return convertHtmlToString(html, false, useTitle);
}

// Plain text without its trailer, which every plain-text result must end with.
std::string plain(std::string_view html, bool useTitle = true) {
  std::string text = convertHtmlToString(html, true, useTitle);
  if (!text.ends_with(kTrailer)) {
    ADD_FAILURE() << "no trailer after: " << text;
    return text;
  }
  text.resize(text.size() - kTrailer.size());
  return text;
}

// --- titles -------------------------------------------------------------------------------

TEST(HtmlConverterTest, EmptyInputGivesNothingButThePlainTextTrailer) {
  EXPECT_EQ(convertHtmlToString("", false, true), "");
  EXPECT_EQ(convertHtmlToString("", true, true), kTrailer);
  EXPECT_EQ(convertHtmlToString("", true, false), kTrailer);
}

TEST(HtmlConverterTest, WithoutATitleTheWholePageIsTheBody) {
  EXPECT_EQ(markup("<html><body>Hi <b>there</b></body>"), "Hi THERE");
  EXPECT_EQ(plain("<html><body>Hi <b>there</b></body>"), "Hi THERE");
  // Turning the search off converts the title as running text.
  EXPECT_EQ(markup("<TITLE>Short</TITLE>Hi", false), "ShortHi");
}

TEST(HtmlConverterTest, TitleLineThenBodyStartingWithOneSpace) {
  const std::string page = "<TITLE>Short</TITLE></HEAD>\r\n<BODY>Hi";
  EXPECT_EQ(markup(page), kTitleOpen + "Short" + kClose + CRLF + " Hi");
  EXPECT_EQ(plain(page), CRLF + "Short" + CRLF + " Hi");
}

TEST(HtmlConverterTest, EverythingBeforeTheTitleIsPassedOver) {
  EXPECT_EQ(markup("Lost <P>text<title lang=en>Found</title >kept"),
            kTitleOpen + "Found" + kClose + CRLF + "kept");
  EXPECT_EQ(markup("<TITLE></TITLE>x"), kTitleOpen + kClose + CRLF + "x");
  // The search reads raw text: a title inside an earlier comment is the one taken.
  EXPECT_EQ(markup("<!-- <TITLE>Old</TITLE> --><TITLE>New</TITLE>body"),
            kTitleOpen + "Old" + kClose + CRLF + " -->Newbody");
}

TEST(HtmlConverterTest, LongTitlesWrapIntoSeveralHeaderLinesOnlyInMarkup) {
  const std::string page = "<TITLE>A Very Long Title For Testing</TITLE>";
  EXPECT_EQ(markup(page), kTitleOpen + "A Very Long Title For" + kWrap + "Testing" + kClose + CRLF);
  EXPECT_EQ(plain(page), CRLF + "A Very Long Title For Testing" + CRLF);
  // Whitespace at column 20 is still a space; only past it does the line wrap.
  EXPECT_EQ(markup("<TITLE>Twenty chars exactly y z</TITLE>"),
            kTitleOpen + "Twenty chars exactly y" + kWrap + "z" + kClose + CRLF);
}

TEST(HtmlConverterTest, PlainTitlesDropOneWhitespacePastColumnTenThousand) {
  const std::string word(10001, 'w');
  EXPECT_EQ(plain("<TITLE>" + word + " x  y</TITLE>"), CRLF + word + "x y" + CRLF);
}

TEST(HtmlConverterTest, TitleEndsAtItsStopTextEvenInsideACommentOrTag) {
  EXPECT_EQ(markup("<TITLE>A<!-- </TITLE> -->B</TITLE>C"),
            kTitleOpen + "A" + kClose + CRLF + " -->BC");
  EXPECT_EQ(markup("<TITLE>A<I class=</title>B"), kTitleOpen + "A" + kClose + CRLF + "B");
  EXPECT_EQ(markup("<TITLE>Say &quot;hi&quot;</TITLE>"), kTitleOpen + "Say \"hi\"" + kClose + CRLF);
}

TEST(HtmlConverterTest, UnfinishedTitlesStillGetTheirCloser) {
  EXPECT_EQ(markup("<TITLE>Only a title"), kTitleOpen + "Only a title" + kClose + CRLF);
  EXPECT_EQ(plain("<TITLE>Only a title"), CRLF + "Only a title" + CRLF);
  EXPECT_EQ(markup("<TITLE"), kTitleOpen + kClose + CRLF);
  EXPECT_EQ(markup("<TITLE>x</TITLE"), kTitleOpen + "x" + kClose + CRLF);
  EXPECT_EQ(markup("x<TITL"), "x");  // no title: back to the start
}

// --- whitespace and ordinary text -----------------------------------------------------------

TEST(HtmlConverterTest, WhitespaceRunsBecomeOneSpace) {
  EXPECT_EQ(markup(" a \t\r\n b\n"), " a b ");
  EXPECT_EQ(markup("a&nbsp;&NBSP; &nbsp;b"), "a b");
  EXPECT_EQ(markup("a&#160; b"), "a\xA0 b");  // a numeric 160 is an ordinary character
  EXPECT_EQ(markup("a\x0B\x0C\x85 b"), "a\x0B\x0C\x85 b");  // only four bytes are whitespace
  EXPECT_EQ(markup("a<BR>  \r\n&nbsp;b"), "a" + CRLF + "b");
}

TEST(HtmlConverterTest, TagsWithoutAnActionLeaveTheWhitespaceStateAlone) {
  EXPECT_EQ(markup("Hello <I>big</I> world"), "Hello big world");
  EXPECT_EQ(markup("a <EM> </EM> <H6>b</H6> <TH>c</TR ><A href=x>d</A>"), "a b cd");
  EXPECT_EQ(markup("a < b and c > d"), "a d");
}

TEST(HtmlConverterTest, UnknownReferencesAndATrailingAmpersandStayText) {
  EXPECT_EQ(markup("&AMP; &#65; R&D &"), "&AMP; &#65; R&D &");
  EXPECT_EQ(markup("fin &eacute;"), "fin \xE9");
  EXPECT_EQ(markup("fin &#06"), "fin &#06");
}

TEST(HtmlConverterTest, NumericZeroYieldsNothingAndStartsNoLine) {
  EXPECT_EQ(markup("a &#000; b"), "a b");
  EXPECT_EQ(markup("<UL>&#000;</UL>x"), CRLF + CRLF + "x");
  EXPECT_EQ(markup("<UL>&amp;"), CRLF + CRLF + "   &");
}

// --- lists, definitions, quotes, tables ----------------------------------------------------

TEST(HtmlConverterTest, ListItemsBreakIndentAndMarkTheirLines) {
  EXPECT_EQ(markup("x<UL><LI>One<LI>Two</UL>"), "x" + CRLF + CRLF + "   " + kBullet + "One" + CRLF +
                                                    "   " + kBullet + "Two" + CRLF + CRLF);
  EXPECT_EQ(markup("<LI> One"), CRLF + kBullet + " One");
  EXPECT_EQ(markup("<ol><li>a<ul><li>b</ul></ol>c"), CRLF + CRLF + "   " + kBullet + "a" + CRLF +
                                                         CRLF + "      " + kBullet + "b" + CRLF +
                                                         CRLF + "c");
  // "<LI" is a prefix test, so <LINK> is an item too.
  EXPECT_EQ(markup("a<LINK rel=x>b"), "a" + CRLF + kBullet + "b");
}

TEST(HtmlConverterTest, UnbalancedListClosersIndentNothingUntilBalanced) {
  EXPECT_EQ(markup("</UL>a<UL>b<UL>c"),
            CRLF + CRLF + "a" + CRLF + CRLF + "b" + CRLF + CRLF + "   c");
}

TEST(HtmlConverterTest, DefinitionListsMarkTermsAndDefinitions) {
  EXPECT_EQ(markup("x<DL><DT>Term<DD>Meaning</DL>"),
            "x" + CRLF + CRLF + "   \x9B Term" + CRLF + CRLF + "   \xBB Meaning" + CRLF + CRLF);
  EXPECT_EQ(markup("<DT>a"), CRLF + CRLF + "\x9B a");
  EXPECT_EQ(markup("a<BR><DD>b"), "a" + CRLF + CRLF + "\xBB b");
}

TEST(HtmlConverterTest, BlockQuotesIndentFromTheNextLineStart) {
  EXPECT_EQ(markup("x<BLOCKQUOTE>a<BR>b</BLOCKQUOTE><BR>c"), "xa" + CRLF + "   b" + CRLF + "c");
}

TEST(HtmlConverterTest, TableCellsIndentByTheirNumberAndKeepItAfterTheTable) {
  EXPECT_EQ(
      markup("<TABLE><TR><TD>a<TD>b<TR><TD>c</TABLE>after"),
      CRLF + CRLF + "   a" + CRLF + "      b" + CRLF + CRLF + "   c" + CRLF + CRLF + "   after");
  // Cells and lists add up.
  EXPECT_EQ(markup("<UL><TD>a"), CRLF + CRLF + "      a");
}

// --- inline marks --------------------------------------------------------------------------

TEST(HtmlConverterTest, SuperscriptsInParenthesesAndBoldInCapitals) {
  EXPECT_EQ(markup("x<SUP>2</SUP>"), "x(2)");
  EXPECT_EQ(markup("<UL><sup>2</sup>"), CRLF + CRLF + "(2)");  // no indentation before "("
  EXPECT_EQ(markup("<B>caf&eacute;</B> ok"), "CAF\xC9 ok");
  EXPECT_EQ(markup("<b>caf\xE9 &#097;&sup2;</b>"), "CAF\xE9 a\xB2");
  EXPECT_EQ(markup("<B class=x>not</B>bold"), "notBOLD");  // "<B" with attributes is no bold
  // A stray closer turns capitals on until an opener brings the depth back to 0.
  EXPECT_EQ(markup("a</B>b<B>c<B>d"), "aBcD");
}

// --- rules and headings --------------------------------------------------------------------

TEST(HtmlConverterTest, RulesInBothForms) {
  const std::string dashes(20, '\x97');
  EXPECT_EQ(markup("a<HR>b"), "a" + CRLF + "<HRULE>b");
  EXPECT_EQ(plain("a<hr noshade>b"), "a" + CRLF + "     " + dashes + CRLF + "b");
  EXPECT_EQ(markup("a<P><HR> b"), "a" + CRLF + CRLF + "<HRULE>b");
  EXPECT_EQ(markup("<HR><HR>"), CRLF + "<HRULE><HRULE>");
}

TEST(HtmlConverterTest, HeadingsWrapInMarkupAndStandAloneInPlainText) {
  const std::string page = "x<H1>Chapter One of the Long Story</H1>after it";
  EXPECT_EQ(markup(page), "x" + CRLF + CRLF + kHeadOpen + "Chapter One of the Long" + kWrap +
                              "Story" + kClose + CRLF + "after it");
  EXPECT_EQ(plain(page),
            "x" + CRLF + CRLF + "Chapter One of the Long Story" + CRLF + CRLF + "after it");
  // Outside the heading nothing wraps.
  const std::string longLine = "after the heading a line runs on well past twenty columns";
  EXPECT_EQ(markup("<h5>T</h5>" + longLine),
            CRLF + CRLF + kHeadOpen + "T" + kClose + CRLF + longLine);
  // A heading end without a start still closes.
  EXPECT_EQ(markup("a</H2>b"), "a" + kClose + CRLF + "b");
  EXPECT_EQ(plain("a</H2>b"), "a" + CRLF + CRLF + "b");
}

// --- comments, scripts, styles, pass-through ------------------------------------------------

TEST(HtmlConverterTest, CommentsAreDroppedAndTheShortestIsComplete) {
  EXPECT_EQ(markup("a<!-- <P> & -- > -->b"), "ab");
  EXPECT_EQ(markup("a<!-->b"), "ab");
  EXPECT_EQ(markup("a<!--->b-->c"), "ab-->c");
  EXPECT_EQ(markup("a<!DOCTYPE html>b"), "ab");
  EXPECT_EQ(markup("a<!-- never closed <P> b"), "a");
}

TEST(HtmlConverterTest, PassThroughCommentsCopyTheirTextUntouched) {
  EXPECT_EQ(markup("a<!--QL<HRULE>\r\n  &amp; <B>x-->b"), "a<HRULE>\r\n  &amp; <B>xb");
  EXPECT_EQ(markup("a<!--ql copied?-->b"), "ab");
  EXPECT_EQ(markup("a<!--QL open to the end &amp;"), "a open to the end &amp;");
  // It changes no counter: the line still has its column, so a space after it is written.
  EXPECT_EQ(markup("x<!--QL\r\n-->  y"), "x\r\n y");
  // Inside a title it is copied whole, a "</TITLE" in it included.
  EXPECT_EQ(markup("<TITLE>a<!--QL</TITLE>-->b</TITLE>c"),
            kTitleOpen + "a</TITLE>b" + kClose + CRLF + "c");
}

TEST(HtmlConverterTest, ScriptsAndStylesAreDroppedUpToTheirExactCloser) {
  EXPECT_EQ(markup("a<SCRIPT>if (a<b) s='</B>';</script>b"), "ab");
  EXPECT_EQ(markup("a<script>x/SCRIPT >y</Script>b"), "ab");
  EXPECT_EQ(markup("a<STYLE>p { }</style>b"), "ab");
  EXPECT_EQ(markup("a<script>never closed"), "a");
}

TEST(HtmlConverterTest, UnclosedTagsAtTheEndStillAct) {
  EXPECT_EQ(markup("text<P"), "text" + CRLF + CRLF);
  EXPECT_EQ(markup("text <"), "text ");
  EXPECT_EQ(markup("text<B>"), "text");
}

// --- the file form ------------------------------------------------------------------------

TEST(HtmlConverterTest, FileFormWritesTheSameBytesAsTheTextForm) {
  TempDir dir;
  std::string page = "<title>Big</title><ul>";
  for (int i = 0; i < 5000; ++i) page += "<li>item &eacute; <b>" + std::to_string(i) + "</b>";
  page += "<!--QL" + std::string(40000, 'q') + "--><h1>end</h1>";
  writeFile(dir.file("in.html"), page);
  writeFile(dir.file("out.txt"), std::string(200000, 'z'));  // replaced, not kept
  for (bool publicFormat : {false, true}) {
    EXPECT_EQ(
        convertHtml(dir.file("in.html").c_str(), dir.file("out.txt").c_str(), publicFormat, true),
        0);
    EXPECT_EQ(readFile(dir.file("out.txt")),
              bytesOf(convertHtmlToString(page, publicFormat, true)));
  }
}

TEST(HtmlConverterTest, FileFormFailuresReturnZeroAndLeaveNoOutputBehind) {
  TempDir dir;
  writeFile(dir.file("out.txt"), "old");
  EXPECT_EQ(convertHtml(dir.file("missing.html").c_str(), dir.file("out.txt").c_str(), true, true),
            0);
  EXPECT_TRUE(readFile(dir.file("out.txt")).empty());
  writeFile(dir.file("in.html"), "x");
  EXPECT_EQ(
      convertHtml(dir.file("in.html").c_str(), dir.file("no/such/out.txt").c_str(), false, true),
      0);
  EXPECT_FALSE(fileExists(dir.file("no/such/out.txt")));
}

}  // namespace

}  // namespace quillet

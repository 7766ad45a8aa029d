#include "source/line_breaks.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {

namespace {

WorkText textOf(std::string_view bytes) {
  WorkText text;
  EXPECT_TRUE(assignWorkText(text, bytes));
  return text;
}

std::string stripped(std::string_view bytes, bool htmlForm) {
  WorkText text = textOf(bytes);
  stripSingleLineBreaks(text, htmlForm);
  EXPECT_EQ(text.buffer.get()[text.length], '\0');
  return std::string(text.view());
}

TEST(LineBreaksTest, TextFileLineEndsBecomeOneLineFeedAndNulsGo) {
  std::string bytes("a\r\nb\rc\n\rd\0e", 11);
  const std::size_t length = normalizeTextFileBytes(bytes.data(), bytes.size());
  EXPECT_EQ(bytes.substr(0, length),
            "a\nb\nc\n\nd"
            "e");
  std::string pairs = "x\n\ry\r\r\nz";
  EXPECT_EQ(pairs.substr(0, normalizeTextFileBytes(pairs.data(), pairs.size())), "x\n\ny\n\nz");
}

TEST(LineBreaksTest, PlainStripJoinsSingleBreaksKeepsPairsAndShortensRuns) {
  EXPECT_EQ(stripped("one\ntwo", false), "onetwo");
  EXPECT_EQ(stripped("one\n\ntwo", false), "one\n\ntwo");
  EXPECT_EQ(stripped("one\n\n\n\ntwo", false), "one\n\ntwo");
  EXPECT_EQ(stripped("one\n\n\ntwo", false), "one\n\ntwo");
  EXPECT_EQ(stripped("end\n", false), "end");
  EXPECT_EQ(stripped("\nstart", false), "\nstart");  // the first character always stays
}

TEST(LineBreaksTest, HtmlStripKeepsSingleBreaksAndShortensRuns) {
  EXPECT_EQ(stripped("one\ntwo", true), "one\ntwo");
  EXPECT_EQ(stripped("one\n\n\ntwo", true), "one\n\ntwo");
  EXPECT_EQ(stripped("a\n\n\n\n\nb\nc", true), "a\n\nb\nc");
}

TEST(LineBreaksTest, JoiningWithABlankPutsASpaceOnlyBetweenTwoVisibleCharacters) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"for\nsoftware", "for software"},
      {"for \nsoftware", "for software"},
      {"for\n\tsoftware", "for\tsoftware"},
      {"a\nb\nc", "a b c"},
      {"a\n\nb", "a\n\nb"},
      {"a\n\n\n\nb", "a\n\nb"},
      {"end\n", "end"},
      {"\nstart\nx", "\nstart x"},
  };
  for (const auto& c : cases) {
    WorkText text = textOf(c.text);
    stripSingleLineBreaks(text, false, true);
    EXPECT_EQ(text.view(), c.expected) << c.text;
    EXPECT_EQ(text.buffer.get()[text.length], '\0');
  }
  WorkText html = textOf("one\ntwo\n\n\nthree");
  stripSingleLineBreaks(html, true, true);
  EXPECT_EQ(html.view(), "one\ntwo\n\nthree");
}

TEST(LineBreaksTest, ShortTextsAreLeftAlone) {
  EXPECT_EQ(stripped("\n", false), "\n");
  EXPECT_EQ(stripped("", false), "");
  EXPECT_EQ(stripped("\n\n", false), "\n\n");
}

TEST(LineBreaksTest, ExpandAndRemoveAreInverses) {
  WorkText text = textOf("\nab\n");
  ASSERT_TRUE(expandLineEnds(text));
  EXPECT_EQ(text.view(), "\r\nab\r\n");
  removeCarriageReturns(text);
  EXPECT_EQ(text.view(), "\nab\n");
}

TEST(LineBreaksTest, ExpandPutsACarriageReturnBeforeEveryLineFeed) {
  WorkText text = textOf("a\r\nb\n\n");
  ASSERT_TRUE(expandLineEnds(text));
  EXPECT_EQ(text.view(), "a\r\r\nb\r\n\r\n");
  EXPECT_EQ(text.buffer.get()[text.length], '\0');
}

TEST(LineBreaksTest, RemoveTakesEveryCarriageReturnIncludingTheFirst) {
  WorkText text = textOf("\r\nfirst\rline\r\n");
  removeCarriageReturns(text);
  EXPECT_EQ(text.view(), "\nfirstline\n");
}

TEST(LineBreaksTest, OperationsOnNoTextDoNothing) {
  WorkText text;
  stripSingleLineBreaks(text, false);
  EXPECT_TRUE(expandLineEnds(text));
  removeCarriageReturns(text);
  EXPECT_FALSE(text.hasText());
}

}  // namespace

}  // namespace quillet

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace quillet {

namespace {

using Names = std::vector<std::string>;

TEST(CommandLineTest, UserNamesFollowEveryBlankHyphenU) {
  EXPECT_EQ(commandLineUserNames("quillet-maker.exe -u Ann -u Bob"), (Names{"Ann", "Bob"}));
  EXPECT_EQ(commandLineUserNames("q.exe -u \"Ann Lee\" book.txt"), (Names{"Ann Lee"}));
  EXPECT_EQ(commandLineUserNames("q.exe -uAnn"), (Names{"Ann"}));
  EXPECT_EQ(commandLineUserNames("q.exe -u"), (Names{""}));
  EXPECT_EQ(commandLineUserNames("q.exe -u   \t"), (Names{""}));
  EXPECT_EQ(commandLineUserNames("q.exe -U Ann"), Names{});
  EXPECT_EQ(commandLineUserNames("q.exe\t-u Ann"), Names{});  // a tab is not the blank
}

TEST(CommandLineTest, AnyTextHoldingBlankHyphenUYieldsAName) {
  EXPECT_EQ(commandLineUserNames("\"C:\\My -utilities\\q.exe\" -u Ann"),
            (Names{"tilities\\q.exe\"", "Ann"}));
  // The next search starts right after the u, not after the argument read.
  EXPECT_EQ(commandLineUserNames("q.exe -u\" -u x\""), (Names{" -u x", "x\""}));
}

TEST(CommandLineTest, ReadArgumentStopsAtWhiteSpaceOrTheClosingQuote) {
  EXPECT_EQ(readArgument("  \tword\vrest", 0), "word");
  EXPECT_EQ(readArgument("\"quoted text\" rest", 0), "quoted text");
  EXPECT_EQ(readArgument("\"unterminated to the end", 0), "unterminated to the end");
  EXPECT_EQ(readArgument("abc", 3), "");
  EXPECT_EQ(readArgument("a\r\nb", 0), "a");
}

TEST(CommandLineTest, LastWordIsTheTextAfterTheLastBlank) {
  EXPECT_EQ(lastWord("q.exe C:\\books\\a.txt"), "C:\\books\\a.txt");
  EXPECT_EQ(lastWord("q.exe \"C:\\my books\\a.txt\""), "books\\a.txt\"");
  EXPECT_EQ(lastWord("q.exe "), "");
  EXPECT_FALSE(lastWord("q.exe"));
}

}  // namespace

}  // namespace quillet

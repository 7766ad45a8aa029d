// Bookmarks: the records a build writes after the text, byte for byte, what they are named
// after, what a Doc keeps of them, and what is refused.
#include "app/bookmarks.h"
#include "format/byte_order.h"
#include "tests/cli/cli_test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

using BookmarksTest = CliTest;

// The records after the text records, each as hex.
std::vector<std::string> bookmarkRecords(const std::string& path) {
  const Bytes db = readFile(path);
  const unsigned records = loadBE16(&db[76]);
  const unsigned textRecords = loadBE16(&db[loadBE32(&db[78]) + 8]);
  std::vector<std::string> found;
  for (unsigned k = textRecords + 1; k < records; ++k) {
    const std::size_t end = k + 1 < records ? loadBE32(&db[78 + 8 * (k + 1)]) : db.size();
    found.push_back(hexOf(Bytes(db.begin() + loadBE32(&db[78 + 8 * k]), db.begin() + end)));
  }
  return found;
}

TEST_F(BookmarksTest, EachMatchingLineGetsARecordOfItsNameAndOffsetAfterTheText) {
  const std::string lf = "CHAPTER I\nIt was dark.\n\nChapter  II\tThe Return of the Keeper\nend\n";
  std::string crlf;
  for (const char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::vector<std::string> expected = {
      hexOf(concat({bytesOf("CHAPTER I"), Bytes(7, 0), hexBytes("00 00 00 00")})),
      // Blanks collapsed, cut to 15 characters; the offset of the line's first character.
      hexOf(concat({bytesOf("Chapter II The "), Bytes(1, 0), hexBytes("00 00 00 18")})),
  };
  for (const std::string& text : {lf, crlf}) {
    writeFile("book.txt", text);
    ASSERT_EQ(build({"book.txt", "--bookmark", "^(CHAPTER|Chapter) +[IVX]+", "-q"}), 0);
    EXPECT_EQ(bookmarkRecords("book.pdb"), expected);
    // Record 0 counts the text records alone: the importer reads the text as ever.
    EXPECT_EQ(runCommand(runImportCommand, {"book.pdb"}).out, lf);
    EXPECT_EQ(runCommand(runImportCommand, {"book.pdb", "--bookmarks"}).err,
              "0\tCHAPTER I\n24\tChapter II The \n");
  }
  // A Doc rebuilt from it holds the same bookmark records.
  ASSERT_EQ(build({"book.pdb", "-o", "again.pdb", "-q"}), 0);
  EXPECT_EQ(bookmarkRecords("again.pdb"), expected);
  ASSERT_EQ(build({"book.pdb", "-o", "none.pdb", "-q", "--no-bookmarks"}), 0);
  EXPECT_TRUE(bookmarkRecords("none.pdb").empty());
}

TEST_F(BookmarksTest, NoMatchGivesTheSameBytesAsNoOptionAndBlankLinesGiveNoName) {
  writeFile("book.txt", "   \t \nplain text\n");
  ASSERT_EQ(build({"book.txt", "-o", "plain.pdb", "-q"}), 0);
  for (const char* pattern : {"^nothing here", "^\\s+$"}) {
    ASSERT_EQ(build({"book.txt", "--bookmark", pattern, "-q"}), 0);
    EXPECT_EQ(readFile("book.pdb"), readFile("plain.pdb")) << pattern;
  }
  EXPECT_EQ(bookmarkName("  a \t\xA0 b  "), "a b");
  EXPECT_EQ(bookmarkName(" \t "), "");
}

TEST_F(BookmarksTest, ABadPatternIsAUsageErrorAndTooManyBookmarksWriteNothing) {
  writeFile("book.txt", "line\n");
  const CommandRun bad = runCommand(runBuildCommand, {"book.txt", "--bookmark", "^(CHAPTER"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("bad --bookmark pattern '^(CHAPTER'"), std::string::npos) << bad.err;
  // 32766 lines to mark after 16 text records: more records than a database holds.
  std::string lines;
  for (int i = 0; i < 32766; ++i) lines += "x\n";
  writeFile("many.txt", lines);
  const CommandRun many = runCommand(runBuildCommand, {"many.txt", "--bookmark", "x"});
  EXPECT_EQ(many.exitCode, 1);
  EXPECT_NE(many.err.find("more than the 32767 records a database holds; nothing was written"),
            std::string::npos)
      << many.err;
  EXPECT_FALSE(fileExists("many.pdb"));
}

TEST_F(BookmarksTest, FollowingDeletionsKeepsEachPlaceOnTheByteThatWasThere) {
  EXPECT_EQ(followDeletions("a\n\n\nb\nc", "a\n\nb\nc", {0, 4, 6}),
            (std::vector<std::uint32_t>{0, 3, 5}));
  EXPECT_EQ(followDeletions("ab\rcd", "abcd", {2, 3, 5}), (std::vector<std::uint32_t>{2, 2, 4}));
}

}  // namespace

}  // namespace quillet

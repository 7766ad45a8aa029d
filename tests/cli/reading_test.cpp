// quillet's reading profiles from the outside: what a user sees of the unicode profile (the
// report, --strict, the names) and the headings an HTML page gets bookmarks for.
#include <cstring>

#include "tests/cli/cli_test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

using ReadingTest = CliTest;

// A database's name, up to its NUL.
std::string nameOf(const std::string& path) {
  const Bytes db = readFile(path);
  return std::string(reinterpret_cast<const char*>(db.data()),
                     strnlen(reinterpret_cast<const char*>(db.data()), 32));
}

TEST_F(ReadingTest, AUtf8TextComesOutInWindows1252WithAReportOfWhatHadNoForm) {
  writeFile("story.txt",
            "Lo\xC3\xAF"
            "c \xE2\x80\x94 caf\xC3\xA9\n\xE4\xB8\xAD and \xE2\x86\x92\n");
  const CommandRun run = runCommand(runBuildCommand, {"story.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(stored("story.pdb"),
            "Lo\xEF"
            "c \x97 caf\xE9\n? and ->\n");
  EXPECT_EQ(run.err,
            "quillet: 'story.txt' read as UTF-8 (content); 2 characters have no form on the "
            "handheld: U+4E2D '\xE4\xB8\xAD' line 2 (as '?'), U+2192 '\xE2\x86\x92' line 2 "
            "(as '->')\n");
  EXPECT_EQ(runCommand(runBuildCommand, {"story.txt", "-q"}).err, "");
  // --strict: a character without a form is a failure, and nothing is written.
  std::remove("story.pdb");
  const CommandRun strict = runCommand(runBuildCommand, {"story.txt", "--strict"});
  EXPECT_EQ(strict.exitCode, 1);
  EXPECT_NE(strict.err.find("nothing written (--strict)"), std::string::npos) << strict.err;
  EXPECT_FALSE(fileExists("story.pdb"));
  // The classic profile takes the bytes as they are.
  ASSERT_EQ(build({"story.txt", "--classic", "-q"}), 0);
  EXPECT_EQ(stored("story.pdb"),
            "Lo\xC3\xAF"
            "c \xE2\x80\x94 caf\xC3\xA9\n\xE4\xB8\xAD and \xE2\x86\x92\n");
}

TEST_F(ReadingTest, AnEndOfTextByteIsDroppedAndToldWhereTheClassicReadingStopsAtIt) {
  // Its line is named by code alone; invalid bytes are shown in hexadecimal.
  writeFile("old.txt", "first\nsecond \x1A third\nend \xE2\x82\n");
  const CommandRun run = runCommand(runBuildCommand, {"old.txt", "--charset", "utf-8"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(stored("old.pdb"), "first\nsecond  third\nend ?\n");
  EXPECT_EQ(run.err,
            "quillet: 'old.txt' read as UTF-8 (named); 2 characters have no form on the "
            "handheld: U+001A line 2 (dropped), an invalid sequence E2 82 line 3 (as '?')\n");
  ASSERT_EQ(build({"old.txt", "--classic", "-q"}), 0);
  EXPECT_EQ(stored("old.pdb"), "first\nsecond ");
  // Several in a Windows-1252 text, kept where it was read: each on its own line.
  writeFile("dos.txt", "a\x1A\r\nb\r\n\r\nc\x1A\x1A\r\nd\x1A\r\n");
  const CommandRun dos = runCommand(runBuildCommand, {"dos.txt"});
  ASSERT_EQ(dos.exitCode, 0) << dos.err;
  EXPECT_EQ(stored("dos.pdb"), "a\nb\n\nc\nd\n");
  EXPECT_EQ(dos.err,
            "quillet: 'dos.txt' read as Windows-1252 (default); 4 characters have no form on "
            "the handheld: U+001A line 1 (dropped), U+001A line 4 (dropped), U+001A line 4 "
            "(dropped), U+001A line 5 (dropped)\n");
}

TEST_F(ReadingTest, AWindows1252TextReadBackAsUtf8IsTheSameText) {
  std::string everyCharacter;
  for (int b = 0x20; b < 0x100; ++b) {
    if (b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) {
      everyCharacter += static_cast<char>(b);
    }
  }
  writeFile("all.txt", everyCharacter);
  // Built as Windows-1252 (no valid UTF-8 in it), read back in UTF-8, built again: the same.
  ASSERT_EQ(build({"all.txt", "-q"}), 0);
  const CommandRun utf8 = runCommand(runImportCommand, {"all.pdb", "--to", "utf-8"});
  ASSERT_EQ(utf8.exitCode, 0);
  writeFile("back.txt", utf8.out);
  ASSERT_EQ(build({"back.txt", "-q"}), 0);
  EXPECT_EQ(stored("back.pdb"), everyCharacter);
}

TEST_F(ReadingTest, TheBookIsNamedAfterItsTitleItsDocOrItsNameCutToThirtyOneCharacters) {
  writeFile("page.html",
            "<title> The  Lamp &amp; the\nKeeper &mdash; a story in many parts </title>x");
  ASSERT_EQ(build({"page.html", "-q"}), 0);
  EXPECT_EQ(nameOf("page.pdb"), "The Lamp & the Keeper \x97 a story");  // 31 characters
  ASSERT_EQ(build({"page.pdb", "-o", "copy.pdb", "-q"}), 0);
  EXPECT_EQ(nameOf("copy.pdb"), nameOf("page.pdb"));  // a Doc keeps its own name
  ASSERT_EQ(build({"page.html", "-o", "n.pdb", "-n", "Caf\xC3\xA9", "-q"}), 0);
  EXPECT_EQ(nameOf("n.pdb"), "Caf\xE9");
  ASSERT_EQ(build({"page.html", "-o", "c.pdb", "--classic", "-q"}), 0);
  EXPECT_EQ(nameOf("c.pdb"), "page");
  ASSERT_EQ(build({"page.html", "-o", "l.pdb", "-n", std::string(40, 'L'), "--classic", "-q"}), 0);
  EXPECT_EQ(nameOf("l.pdb"), std::string(32, 'L'));
}

TEST_F(ReadingTest, AnHtmlPageGetsABookmarkForEachHeadingOfTheLevelsAsked) {
  const std::string page =
      "<title>T</title><h1>Part One</h1><p>first</p><h2>Chapter &eacute;t&eacute; long name "
      "here</h2>text<h4>Small</h4>more";
  writeFile("page.html", page);
  for (const bool publicFormat : {false, true}) {
    std::vector<std::string> args = {"page.html", "--bookmarks", "-q", "--classic"};
    if (publicFormat) args.push_back("--public");
    ASSERT_EQ(build(args), 0);
    const std::string text = stored("page.pdb");
    const ImportedDoc doc = importDoc("page.pdb");
    ASSERT_EQ(doc.bookmarks.size(), 2u);
    EXPECT_EQ(doc.bookmarks[0].name, "Part One");
    EXPECT_EQ(doc.bookmarks[1].name, "Chapter \xE9t\xE9 lon");  // 15 characters
    for (const Bookmark& bookmark : doc.bookmarks) {
      // Each marks the first character of its heading's line, in the text as stored.
      ASSERT_LT(bookmark.offset, text.size());
      EXPECT_TRUE(bookmark.offset == 0 || text[bookmark.offset - 1] == '\n') << bookmark.offset;
      EXPECT_EQ(text.substr(bookmark.offset, publicFormat ? 4 : 7),
                publicFormat ? (bookmark.name.substr(0, 4)) : "<HEADER");
    }
    // The text is the one a build without bookmarks stores.
    ASSERT_EQ(build({"page.html", "-o", "plain.pdb", "-q", "--classic",
                     publicFormat ? "--public" : "--classic"}),
              0);
    EXPECT_EQ(stored("plain.pdb"), text);
  }
  ASSERT_EQ(build({"page.html", "--bookmarks", "--bookmark-levels", "4", "-q"}), 0);
  ASSERT_EQ(importDoc("page.pdb").bookmarks.size(), 1u);
  EXPECT_EQ(importDoc("page.pdb").bookmarks[0].name, "Small");
  EXPECT_EQ(build({"page.html", "--bookmarks", "--bookmark-levels", "7"}), 2);
}

}  // namespace

}  // namespace quillet

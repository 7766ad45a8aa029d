#include <gtest/gtest.h>

#include <filesystem>

#include "cli/commands.h"
#include "format/doc_importer.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class BuildCommandTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedCurrentDir cwd{dir.path()};

  CommandRun build(const std::vector<std::string>& args) {
    return runCommand(runBuildCommand, args);
  }

  // The text stored in a database.
  std::string stored(const std::string& path) {
    const ImportedDoc doc = importDoc(path.c_str());
    return doc.text ? std::string(doc.text.get(), doc.length) : "<not a doc>";
  }
};

TEST_F(BuildCommandTest, TypeFollowsTheEndingUnlessGiven) {
  writeFile("page.HTML", "<TITLE>T</TITLE><B>bold</B> text");
  ASSERT_EQ(build({"page.HTML", "--public", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("page.pdb"), "\nT\nBOLD text<\x8D>");
  ASSERT_EQ(build({"page.HTML", "-t", "text", "-o", "raw.pdb", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("raw.pdb"), "<TITLE>T</TITLE><B>bold</B> text");
  writeFile("notes.xyz", "plain\r\ntext");
  ASSERT_EQ(build({"notes.xyz", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("notes.pdb"), "plain\ntext");
}

TEST_F(BuildCommandTest, StripJoinsSingleLineBreaks) {
  writeFile("t.txt", "one\ntwo\n\nthree\n");
  ASSERT_EQ(build({"t.txt", "-s", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("t.pdb"), "onetwo\n\nthree");
}

TEST_F(BuildCommandTest, DocSourceRebuildsTheSameText) {
  writeFile("t.txt", "a text\r\nwith \x85 high bytes\r\n");
  ASSERT_EQ(build({"t.txt", "-q"}).exitCode, 0);
  ASSERT_EQ(build({"t.pdb", "-o", "again.pdb", "--public", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("again.pdb"), stored("t.pdb"));
  const Bytes again = readFile("again.pdb");
  EXPECT_EQ(std::string(again.begin() + 64, again.begin() + 68), "REAd");
}

TEST_F(BuildCommandTest, BlankDocumentIsOneLineFeed) {
  ASSERT_EQ(build({"-t", "blank", "-o", "blank.pdb", "-q"}).exitCode, 0);
  EXPECT_EQ(stored("blank.pdb"), "\n");
  EXPECT_EQ(build({"-t", "blank"}).exitCode, 2);
  EXPECT_EQ(build({"-t", "blank", "x.txt", "-o", "b.pdb"}).exitCode, 2);
}

TEST_F(BuildCommandTest, NeverWritesOverItsOwnSource) {
  writeFile("t.txt", "text");
  ASSERT_EQ(build({"t.txt", "-q"}).exitCode, 0);
  const Bytes doc = readFile("t.pdb");
  const CommandRun run = build({"t.pdb"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("would replace its own source"), std::string::npos) << run.err;
  EXPECT_EQ(readFile("t.pdb"), doc);
}

TEST_F(BuildCommandTest, SeveralSourcesGoIntoTheOutputFolderAndAFailureStopsNoOther) {
  std::filesystem::create_directory("books");
  writeFile("a.txt", "first");
  writeFile("empty.txt", "");
  writeFile("c.htm", "<P>third");
  const CommandRun run = build({"a.txt", "missing.txt", "empty.txt", "c.htm", "-o", "books", "-q"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(stored("books/a.pdb"), "first");
  EXPECT_EQ(stored("books/c.pdb"), "\n\nthird");
  EXPECT_FALSE(fileExists("books/missing.pdb"));
  EXPECT_FALSE(fileExists("books/empty.pdb"));
  EXPECT_NE(run.err.find("cannot open 'missing.txt': No such file or directory"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("'empty.txt' gives an empty text"), std::string::npos) << run.err;
  EXPECT_EQ(countEntries("books"), 2u);
}

TEST_F(BuildCommandTest, SeveralSourcesNeedAFolderAndDistinctNames) {
  writeFile("a.txt", "x");
  std::filesystem::create_directory("sub");
  writeFile("sub/a.txt", "y");
  EXPECT_EQ(build({"a.txt", "sub/a.txt"}).exitCode, 2);  // both would be ./a.pdb
  EXPECT_EQ(build({"a.txt", "sub/a.txt", "-o", "nowhere"}).exitCode, 2);
  EXPECT_FALSE(fileExists("a.pdb"));
}

TEST_F(BuildCommandTest, NoTemporaryFileStaysBehind) {
  TempDir temporary;
  ScopedTemporaryFolder redirected(temporary.path().string());
  writeFile("page.html", "<P>text");
  writeFile("empty.txt", "");
  EXPECT_EQ(build({"page.html", "-q"}).exitCode, 0);
  EXPECT_EQ(build({"empty.txt", "-q"}).exitCode, 1);
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);
  EXPECT_EQ(countEntries(dir.path().string()), 3u);  // the two sources and page.pdb
}

TEST_F(BuildCommandTest, UnknownTypeIsAUsageError) {
  writeFile("t.txt", "x");
  EXPECT_EQ(build({"t.txt", "-t", "rtf"}).exitCode, 2);
}

}  // namespace

}  // namespace quillet

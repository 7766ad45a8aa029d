#include <gtest/gtest.h>

#include "cli/commands.h"
#include "format/doc_importer.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class FormatCommandsTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedCurrentDir cwd{dir.path()};
};

TEST_F(FormatCommandsTest, BuildDefaultsToTheSourceBaseNameInTheCurrentFolder) {
  TempDir elsewhere;
  writeFile(elsewhere.file("My Story.txt"), "Once upon a time.\r\nThe end.\r\n");
  const CommandRun run = runCommand(runBuildCommand, {elsewhere.file("My Story.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Bytes db = readFile("My Story.pdb");
  EXPECT_EQ(std::string(db.begin(), db.begin() + 9), std::string("My Story\0", 9));
  EXPECT_EQ(std::string(db.begin() + 60, db.begin() + 68), "TEXtQvlt");
  EXPECT_NE(run.out.find("1 text record, 27 bytes of text"), std::string::npos) << run.out;
}

TEST_F(FormatCommandsTest, BuildTakesNameOutputAndPublicFormat) {
  writeFile("t.txt", "text");
  const CommandRun run = runCommand(
      runBuildCommand, {"t.txt", "-o", "out.pdb", "--name=Shelf copy", "--public", "-q"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  const Bytes db = readFile("out.pdb");
  EXPECT_EQ(std::string(db.begin(), db.begin() + 11), std::string("Shelf copy\0", 11));
  EXPECT_EQ(std::string(db.begin() + 60, db.begin() + 68), "TEXtREAd");
}

TEST_F(FormatCommandsTest, FailedBuildKeepsTheEarlierOutputAndSaysWhy) {
  writeFile("empty.txt", "");
  writeFile("book.pdb", "an earlier book");
  const CommandRun run = runCommand(runBuildCommand, {"empty.txt", "-o", "book.pdb"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "quillet: 'empty.txt' gives an empty text; no book made\n");
  EXPECT_EQ(readFile("book.pdb"), bytesOf("an earlier book"));
  EXPECT_EQ(countEntries("."), 2u);
}

TEST_F(FormatCommandsTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(runCommand(runBuildCommand, {}).exitCode, 2);
  EXPECT_EQ(runCommand(runBuildCommand, {"a.txt", "--bogus"}).exitCode, 2);
  EXPECT_EQ(runCommand(runBuildCommand, {"a.txt", "-o"}).exitCode, 2);
  EXPECT_EQ(runCommand(runImportCommand, {"a.pdb", "b.pdb"}).exitCode, 2);
  writeFile("same.pdb", "x");
  EXPECT_EQ(runCommand(runBuildCommand, {"same.pdb", "-o", "same.pdb"}).exitCode, 2);
  EXPECT_EQ(readFile("same.pdb"), bytesOf("x"));
}

TEST_F(FormatCommandsTest, HelpExitsWithZero) {
  const CommandRun run = runCommand(runInfoCommand, {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Usage: quillet info DOC.pdb"), std::string::npos);
}

TEST_F(FormatCommandsTest, ImportWritesTheStoredTextByteForByte) {
  const std::string text = "line one\nline two \x93quoted\x94\n" + proseText(9000);
  writeFile("in.txt", text);
  ASSERT_EQ(runCommand(runBuildCommand, {"in.txt", "-q"}).exitCode, 0);
  const CommandRun run = runCommand(runImportCommand, {"in.pdb", "-o", "back.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile("back.txt"), bytesOf(text));
  EXPECT_EQ(runCommand(runImportCommand, {"in.pdb"}).out, text);
}

TEST_F(FormatCommandsTest, ImportSaysWhyAFileIsNoDoc) {
  writeFile("not.pdb", std::string(100, 'x'));
  const CommandRun run = runCommand(runImportCommand, {"not.pdb"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "quillet: 'not.pdb' is not a Palm Doc: its type is \"xxxx\", not \"TEXt\"\n");
}

TEST_F(FormatCommandsTest, InfoShowsHeaderRecordsAndDocHeader) {
  writeFile("t.txt", "abcabcx");
  ASSERT_EQ(runCommand(runBuildCommand, {"t.txt", "-n", "abc", "--public", "-q"}).exitCode, 0);
  const CommandRun run = runCommand(runInfoCommand, {"t.pdb"});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Name:               \"abc\""), std::string::npos);
  EXPECT_NE(run.out.find("Created:            0x33B8BDA5 (1931-07-01 08:19:49)"),
            std::string::npos);
  EXPECT_NE(run.out.find("Creator:            \"REAd\""), std::string::npos);
  EXPECT_NE(run.out.find("      1        112          6  0x00  0"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Text length:        7 bytes"), std::string::npos);
}

}  // namespace

}  // namespace quillet

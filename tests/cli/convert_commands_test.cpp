// quillet build, import, info and html, in-process in a folder of the test's own.
#include <cstring>
#include <filesystem>

#include "format/byte_order.h"
#include "format/doc_importer.h"
#include "tests/cli/cli_test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

std::string header(const std::string& path, std::size_t from, std::size_t to) {
  const Bytes db = readFile(path);
  return std::string(db.begin() + static_cast<long>(from), db.begin() + static_cast<long>(to));
}

using BuildCommandTest = CliTest;

TEST_F(BuildCommandTest, DefaultsToTheSourceBaseNameInTheCurrentFolderAndSaysWhatItMade) {
  TempDir elsewhere;
  writeFile(elsewhere.file("My Story.txt"), "Once upon a time.\r\nThe end.\r\n");
  const CommandRun run = runCommand(runBuildCommand, {elsewhere.file("My Story.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(header("My Story.pdb", 0, 9), std::string("My Story\0", 9));
  EXPECT_EQ(header("My Story.pdb", 60, 68), "TEXtQvlt");
  EXPECT_NE(run.out.find("1 text record, 27 bytes of text"), std::string::npos) << run.out;
}

TEST_F(BuildCommandTest, TakesNameOutputAndPublicFormatQuietlyAndADocSourceKeepsItsText) {
  writeFile("t.txt", "a text\r\nwith \x85 high bytes\r\n");
  ASSERT_EQ(build({"t.txt", "-q"}), 0);
  const CommandRun run = runCommand(
      runBuildCommand, {"t.pdb", "-o", "out.pdb", "--name=Shelf copy", "--public", "-q"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(header("out.pdb", 0, 11), std::string("Shelf copy\0", 11));
  EXPECT_EQ(header("out.pdb", 60, 68), "TEXtREAd");
  EXPECT_EQ(stored("out.pdb"), stored("t.pdb"));
}

TEST_F(BuildCommandTest, TheTypeFollowsTheEndingUnlessGiven) {
  writeFile("page.HTML", "<TITLE>T</TITLE><B>bold</B> text");
  writeFile("notes.xyz", "plain\r\ntext");
  writeFile("t.txt", "one\ntwo\n\nthree\n");
  const std::pair<std::vector<std::string>, std::pair<std::string, std::string>> cases[] = {
      {{"page.HTML", "--public", "-q"}, {"page.pdb", "\nT\nBOLD text<\x8D>"}},
      {{"page.HTML", "-t", "text", "-o", "raw.pdb", "-q"},
       {"raw.pdb", "<TITLE>T</TITLE><B>bold</B> text"}},
      {{"notes.xyz", "-q"}, {"notes.pdb", "plain\ntext"}},
      {{"t.txt", "-s", "-q"}, {"t.pdb", "onetwo\n\nthree"}},  // strip joins single line breaks
      {{"-t", "blank", "-o", "blank.pdb", "-q"}, {"blank.pdb", "\n"}},  // one line feed
  };
  for (auto [args, result] : cases) {
    args.push_back("--classic");  // the application's own reading, byte for byte
    ASSERT_EQ(build(args), 0) << testing::PrintToString(args);
    EXPECT_EQ(stored(result.first), result.second);
  }
  // Today's reading puts a blank where -s joins two lines.
  ASSERT_EQ(build({"t.txt", "-s", "-q"}), 0);
  EXPECT_EQ(stored("t.pdb"), "one two\n\nthree");
}

TEST_F(BuildCommandTest, UsageErrorsExitWithTwoAndNeverWriteOverTheSource) {
  writeFile("t.txt", "text");
  ASSERT_EQ(build({"t.txt", "-q"}), 0);
  const Bytes doc = readFile("t.pdb");
  const CommandRun run = runCommand(runBuildCommand, {"t.pdb"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("would replace its own source"), std::string::npos) << run.err;
  EXPECT_EQ(readFile("t.pdb"), doc);
  std::filesystem::create_directory("sub");
  writeFile("sub/a.txt", "y");
  writeFile("a.txt", "x");
  const std::vector<std::string> cases[] = {{},
                                            {"a.txt", "--bogus"},
                                            {"a.txt", "-o"},
                                            {"t.pdb", "-o", "t.pdb"},
                                            {"t.txt", "-t", "rtf"},
                                            {"-t", "blank"},
                                            {"-t", "blank", "x.txt", "-o", "b.pdb"},
                                            {"a.txt", "sub/a.txt"},  // both would be ./a.pdb
                                            {"a.txt", "sub/a.txt", "-o", "nowhere"}};
  for (const auto& args : cases) EXPECT_EQ(build(args), 2) << testing::PrintToString(args);
  EXPECT_EQ(readFile("t.pdb"), doc);
  EXPECT_FALSE(fileExists("a.pdb"));
  EXPECT_EQ(runCommand(runImportCommand, {"a.pdb", "b.pdb"}).exitCode, 2);
}

TEST_F(BuildCommandTest, SeveralSourcesGoIntoTheOutputFolderAndAFailureStopsNoOther) {
  std::filesystem::create_directory("books");
  writeFile("a.txt", "first");
  writeFile("empty.txt", "");
  writeFile("c.htm", "<P>third");
  const CommandRun run = runCommand(
      runBuildCommand, {"a.txt", "missing.txt", "empty.txt", "c.htm", "-o", "books", "-q"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(stored("books/a.pdb"), "first");
  EXPECT_EQ(stored("books/c.pdb"), "\n\nthird");
  EXPECT_EQ(countEntries("books"), 2u);
  EXPECT_NE(run.err.find("cannot open 'missing.txt': No such file or directory"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("'empty.txt' gives an empty text"), std::string::npos) << run.err;
}

TEST_F(BuildCommandTest, BooksBuiltSideBySideAreToldWholeAndInTheOrderOfTheirSources) {
  std::filesystem::create_directory("books");
  // Built by appending: GCC 12 takes "literal" + std::string for an overlapping copy.
  const auto book = [](const char* before, int k, const char* after) {
    return std::string(before).append("b").append(std::to_string(k)).append(after);
  };
  // The first book is by far the longest, so that it is done last.
  std::vector<std::string> args = {"b0.txt"};
  writeFile("b0.txt", proseText(std::size_t{1} << 20));
  for (int k = 1; k < 12; ++k) {
    args.push_back(book("", k, ".txt"));
    if (k != 5) writeFile(args.back(), "book " + std::to_string(k));
  }
  args.insert(args.end(), {"-o", "books", "-j", "3"});
  const CommandRun run = runCommand(runBuildCommand, args);
  EXPECT_EQ(run.exitCode, 1);
  std::size_t last = 0;
  for (int k = 0; k < 12; ++k) {
    if (k == 5) continue;
    const std::size_t at = run.out.find(book("", k, ".pdb: \"") + book("", k, "\""));
    ASSERT_NE(at, std::string::npos) << run.out;
    EXPECT_GE(at, last) << "book " << k << " told out of order:\n" << run.out;
    last = at;
  }
  std::string told;
  for (int k = 0; k < 12; ++k) {
    const std::string source = book("'", k, ".txt'");
    told += k == 5 ? "quillet: cannot open " + source + ": No such file or directory\n" +
                         "quillet: no book made from " + source + "\n"
                   : "quillet: " + source + " read as Windows-1252 (default)\n";
  }
  EXPECT_EQ(run.err, told);
}

TEST_F(BuildCommandTest, ImportWritesTheStoredTextByteForByteOrSaysWhyAFileIsNoDoc) {
  // Longer than the window a text goes through on its way to a file.
  const std::string text = "line one\nline two \x93quoted\x94\n" + proseText(kTextWindow + 9000);
  writeFile("in.txt", text);
  ASSERT_EQ(build({"in.txt", "-q"}), 0);
  const CommandRun run = runCommand(runImportCommand, {"in.pdb", "-o", "back.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile("back.txt"), bytesOf(text));
  EXPECT_EQ(runCommand(runImportCommand, {"in.pdb"}).out, text);
  // A Doc stored uncompressed ends its text at its first NUL, in a file as on the screen.
  Bytes stored(112, 0);
  std::memcpy(&stored[0], "Nul", 3);
  std::memcpy(&stored[60], "TEXtREAd", 8);
  storeBE16(&stored[76], 2);
  storeBE32(&stored[78], 96);   // record 0, after the list and its two-byte gap
  storeBE32(&stored[86], 112);  // record 1: the text
  storeBE16(&stored[96], 1);    // stored as it is
  storeBE32(&stored[100], 12);
  storeBE16(&stored[104], 1);
  storeBE16(&stored[106], 4096);
  for (const char c : std::string("before\0after", 12)) stored.push_back(static_cast<unsigned char>(c));
  writeFile("zero.pdb", stored);
  EXPECT_EQ(runCommand(runImportCommand, {"zero.pdb"}).out, "before");
  EXPECT_EQ(runCommand(runImportCommand, {"zero.pdb", "-o", "zero.txt"}).exitCode, 0);
  EXPECT_EQ(readFile("zero.txt"), bytesOf("before"));
  writeFile("not.pdb", std::string(100, 'x'));
  const CommandRun bad = runCommand(runImportCommand, {"not.pdb"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "quillet: 'not.pdb' is not a Palm Doc: its type is \"xxxx\", not \"TEXt\"\n");
}

TEST_F(BuildCommandTest, InfoShowsHeaderRecordsAndDocHeader) {
  writeFile("t.txt", "abcabcx");
  ASSERT_EQ(build({"t.txt", "-n", "abc", "--public", "-q"}), 0);
  const CommandRun run = runCommand(runInfoCommand, {"t.pdb"});
  ASSERT_EQ(run.exitCode, 0);
  for (const char* line :
       {"Name:               \"abc\"", "Created:            0x33B8BDA5 (1931-07-01 08:19:49)",
        "Creator:            \"REAd\"", "      1        112          6  0x00  0",
        "Text length:        7 bytes"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  const CommandRun help = runCommand(runInfoCommand, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: quillet info DOC.pdb"), std::string::npos);
}

using HtmlCommandTest = CliTest;

const char kPage[] =
    "<html><head><title>My Page</title></head>\n<body><h1>Top</h1>Caf&eacute;</body>";

TEST_F(HtmlCommandTest, WritesMarkupOrThePublicFormToTheOutputFile) {
  writeFile("page.html", kPage);
  const CommandRun run = runCommand(runHtmlCommand, {"page.html", "-o", "page.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(readFile("page.txt"),
            bytesOf("<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"My Page\">\r\n \r\n\r\n"
                    "<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"Top\">\r\nCaf\xE9"));
  EXPECT_FALSE(fileExists("page.txt.part"));
  ASSERT_EQ(
      runCommand(runHtmlCommand, {"--public", "page.html", "--no-title", "-o", "p.txt"}).exitCode,
      0);
  EXPECT_EQ(readFile("p.txt"), bytesOf("My Page \r\n\r\nTop\r\n\r\nCaf\xE9<\x8D>"));
}

TEST_F(HtmlCommandTest, AMissingSourceKeepsAnEarlierOutputAndUsageErrorsExitWithTwo) {
  writeFile("out.txt", "earlier");
  const CommandRun missing = runCommand(runHtmlCommand, {"missing.html", "-o", "out.txt"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "quillet: cannot open 'missing.html': No such file or directory\n");
  EXPECT_EQ(readFile("out.txt"), bytesOf("earlier"));
  writeFile("in.html", "x");
  const std::vector<std::string> usage[] = {{}, {"in.html", "other.html"}, {"in.html", "--title"}};
  for (const auto& args : usage) EXPECT_EQ(runCommand(runHtmlCommand, args).exitCode, 2);
}

}  // namespace
}  // namespace quillet

#include "source/source_loading.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "format/doc_builder.h"
#include "platform/clipboard.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class SourceLoadingTest : public ::testing::Test {
 protected:
  TempDir dir;
  LoadStatus status = LoadStatus::kLoaded;
  WorkText text;

  bool load(int type, const std::string& path, bool strip = false, bool publicFormat = false) {
    status = loadSource(text, type, path.c_str(), strip, publicFormat);
    return status == LoadStatus::kLoaded;
  }
  void TearDown() override { emptyClipboard(); }
};

TEST_F(SourceLoadingTest, TextFileBytesFollowTheLineEndRules) {
  writeFile(dir.file("t.txt"), std::string("a\r\nb\rc\n\rd\0e", 11));
  ASSERT_TRUE(load(kSourceTextFile, dir.file("t.txt")));
  EXPECT_EQ(text.view(), "a\nb\nc\n\nde");
  EXPECT_EQ(text.buffer.get()[text.length], '\0');
}

TEST_F(SourceLoadingTest, MissingTextFileIsReportedAndTheTextKept) {
  ASSERT_TRUE(assignWorkText(text, "kept"));
  EXPECT_FALSE(load(kSourceTextFile, dir.file("missing.txt")));
  EXPECT_EQ(status, LoadStatus::kSourceMissing);
  EXPECT_EQ(text.view(), "kept");
}

TEST_F(SourceLoadingTest, StripOptionAppliesToTextSources) {
  writeFile(dir.file("t.txt"), "one\r\ntwo\r\n\r\nthree\n\n\n\nfour\n");
  ASSERT_TRUE(load(kSourceTextFile, dir.file("t.txt"), /*strip=*/true));
  EXPECT_EQ(text.view(), "onetwo\n\nthree\n\nfour");
}

TEST_F(SourceLoadingTest, BlankDocumentIsOneLineFeedWhateverTheStripOption) {
  ASSERT_TRUE(load(kSourceBlankDoc, "", true));
  EXPECT_EQ(text.view(), "\n");
}

TEST_F(SourceLoadingTest, ClipboardTextLosesItsCarriageReturns) {
  ASSERT_TRUE(writeClipboardText("a\r\nb\rc"));
  ASSERT_TRUE(captureClipboard(text));
  EXPECT_EQ(text.view(), "a\nbc");
  // The clipboard kind loads nothing more: the captured text is the source.
  ASSERT_TRUE(load(kSourceClipboard, ""));
  EXPECT_EQ(text.view(), "a\nbc");
}

TEST_F(SourceLoadingTest, EmptyClipboardTakesNothing) {
  emptyClipboard();
  ASSERT_TRUE(assignWorkText(text, "kept"));
  EXPECT_FALSE(captureClipboard(text));
  EXPECT_EQ(text.view(), "kept");
}

TEST_F(SourceLoadingTest, HtmlIsConvertedWithoutCarriageReturnsAndKeepsSingleBreaks) {
  writeFile(dir.file("p.html"), "<B>bold</B><BR>next line\n\n\n<P><P>after");
  ASSERT_TRUE(load(kSourceHtmlFile, dir.file("p.html"), /*strip=*/true));
  EXPECT_EQ(text.view(), "BOLD\nnext line \n\nafter");
  ASSERT_TRUE(load(kSourceHtmlFile, dir.file("p.html"), false, /*publicFormat=*/true));
  EXPECT_EQ(text.view(), "BOLD\nnext line \n\nafter<\x8D>");
}

TEST_F(SourceLoadingTest, HtmlLoadLeavesNoTemporaryFiles) {
  TempDir temporary;  // a folder of its own: other tests make temporary files meanwhile
  ScopedTemporaryFolder redirected(temporary.path().string());
  writeFile(dir.file("p.htm"), "<TITLE>T</TITLE>body");
  ASSERT_TRUE(load(kSourceHtmlFile, dir.file("p.htm")));
  EXPECT_EQ(text.view(), "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"T\">\nbody");
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);
}

TEST_F(SourceLoadingTest, DocSourceGivesBackTheStoredText) {
  const std::string stored = "first line\nsecond \x93line\x94\n\nthird\r kept CR\n";
  writeFile(dir.file("t.txt"), stored);
  char name[40] = "Doc";
  // The build file of the application stores each LF as CR LF; the builder reads it back.
  ASSERT_TRUE(load(kSourceTextFile, dir.file("t.txt")));
  const auto buildFile = writeBuildFile(text);
  ASSERT_TRUE(buildFile);
  ASSERT_EQ(buildDoc(buildFile->c_str(), dir.file("t.pdb").c_str(), name, false), kBuildOk);
  std::remove(buildFile->c_str());
  const std::string loaded(text.view());
  ASSERT_TRUE(load(kSourceDocFile, dir.file("t.pdb")));
  EXPECT_EQ(text.view(), loaded);
}

TEST_F(SourceLoadingTest, DocSourceThatIsNoDocFailsWithTheImportersMessage) {
  writeFile(dir.file("x.pdb"), std::string(90, 'x'));
  EXPECT_FALSE(load(kSourceDocFile, dir.file("x.pdb")));
  EXPECT_EQ(status, LoadStatus::kDocNotDoc);
}

TEST_F(SourceLoadingTest, BuildFileStoresLineFeedsAsCrLfInTheTemporaryFolder) {
  TempDir temporary;
  ScopedTemporaryFolder redirected(temporary.path().string());
  ASSERT_TRUE(assignWorkText(text, "a\nb\n"));
  const auto path = writeBuildFile(text);
  ASSERT_TRUE(path);
  EXPECT_EQ(readFile(*path), bytesOf("a\r\nb\r\n"));
  EXPECT_EQ(countEntries(temporary.path().string()), 1u);
  std::remove(path->c_str());
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);
}

TEST_F(SourceLoadingTest, FixedNamesInTheCurrentFolderWhenTheTemporaryFolderFails) {
  ScopedTemporaryFolder missing(dir.file("no such folder"));
  ScopedCurrentDir cwd(dir.path());
  EXPECT_EQ(makeTemporaryPath(kFirstTemporaryFallback), "tempdoc1.$$$");
  ASSERT_TRUE(assignWorkText(text, "x\n"));
  const auto path = writeBuildFile(text);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, "tempdoc1.$$$");
  EXPECT_EQ(readFile(dir.file("tempdoc1.$$$")), bytesOf("x\r\n"));
}

TEST_F(SourceLoadingTest, EmptyTextFileMakesAnEmptyBuildFileThatTheBuilderRefuses) {
  writeFile(dir.file("empty.txt"), "");
  ASSERT_TRUE(load(kSourceTextFile, dir.file("empty.txt"), true));
  EXPECT_EQ(text.length, 0);
  const auto path = writeBuildFile(text);
  ASSERT_TRUE(path);
  EXPECT_TRUE(readFile(*path).empty());
  char name[40] = "Empty";
  EXPECT_EQ(buildDoc(path->c_str(), dir.file("e.pdb").c_str(), name, false), kBuildFailed);
  std::remove(path->c_str());
}

TEST_F(SourceLoadingTest, TemporaryNamesAreUnique) {
  const std::string first = makeTemporaryPath(kFirstTemporaryFallback);
  const std::string second = makeTemporaryPath(kFirstTemporaryFallback);
  EXPECT_NE(first, second);
  EXPECT_NE(first, kFirstTemporaryFallback);
  EXPECT_TRUE(fileExists(first));  // made at once, so nobody else can take the name
  std::remove(first.c_str());
  std::remove(second.c_str());
}

TEST(SourceKindTest, EndingsChooseTheKindOnlyForPathsLongerThanFourCharacters) {
  EXPECT_EQ(sourceTypeForPath("book.TXT", kSourceBlankDoc), kSourceTextFile);
  EXPECT_EQ(sourceTypeForPath("book.text", kSourceBlankDoc), kSourceTextFile);
  EXPECT_EQ(sourceTypeForPath("page.HTML", kSourceTextFile), kSourceHtmlFile);
  EXPECT_EQ(sourceTypeForPath("page.htm", kSourceTextFile), kSourceHtmlFile);
  EXPECT_EQ(sourceTypeForPath("b.pdb", kSourceTextFile), kSourceDocFile);
  EXPECT_EQ(sourceTypeForPath("b.Prc", kSourceTextFile), kSourceDocFile);
  EXPECT_EQ(sourceTypeForPath("b.xyz", kSourceHtmlFile), kSourceHtmlFile);
  EXPECT_EQ(sourceTypeForPath(".txt", kSourceBlankDoc), kSourceBlankDoc);
  EXPECT_EQ(sourceTypeForPath("a.htm", kSourceBlankDoc), kSourceHtmlFile);
}

}  // namespace

}  // namespace quillet

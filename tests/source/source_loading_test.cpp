#include "source/source_loading.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "format/doc_builder.h"
#include "platform/clipboard.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

// The working text, checked for its terminator.
std::string textOf(const WorkText& text) {
  EXPECT_EQ(text.buffer.get()[text.length], '\0');
  return std::string(text.view());
}

class SourceLoadingTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string source = dir.file("source");
  WorkText text;
  LoadStatus status = LoadStatus::kLoaded;

  // The text loaded from the source, or "<not loaded>".
  std::string load(int type, bool strip = false, bool publicFormat = false) {
    status = loadSource(text, type, source.c_str(), strip, publicFormat);
    return status == LoadStatus::kLoaded ? textOf(text) : "<not loaded>";
  }
  void TearDown() override { emptyClipboard(); }
};

// clang-format off
TEST_F(SourceLoadingTest, TextFilesFollowTheLineEndRulesHtmlIsConvertedAndBreaksStripped) {
  const std::string html = "<B>bold</B><BR>next line\n\n\n<P><P>after";
  struct Row { std::string bytes; int type; bool strip, publicFormat; std::string text; };
  const Row cases[] = {
    // CR LF, a lone CR and a lone LF each give one LF (LF CR two); NULs go.
    {std::string("a\r\nb\rc\n\rd\0e", 11), kSourceTextFile, false, false, "a\nb\nc\n\nde"},
    {"x\n\ry\r\r\nz", kSourceTextFile, false, false, "x\n\ny\n\nz"},
    {"one\r\ntwo\r\n\r\nthree\n\n\n\nfour\n", kSourceTextFile, true, false,
     "onetwo\n\nthree\n\nfour"},
    {"", kSourceTextFile, true, false, ""}, {"", kSourceBlankDoc, true, false, "\n"},
    // HTML loses its CRs and keeps single line breaks.
    {html, kSourceHtmlFile, true, false, "BOLD\nnext line \n\nafter"},
    {html, kSourceHtmlFile, false, true, "BOLD\nnext line \n\nafter<\x8D>"},
  };
  for (const auto& c : cases) {
    writeFile(source, c.bytes);
    EXPECT_EQ(load(c.type, c.strip, c.publicFormat), c.text) << c.bytes;
  }
}

// Joining with a blank (B) puts a space only between two visible characters.
TEST(LineBreaksTest, StripJoinsSingleBreaksInPlainTextKeepsThemInHtmlAndShortensRuns) {
  enum Form { P, H, B, HB };  // plain text, HTML; each also joined with a blank
  const struct { std::string text; Form form; std::string stripped; } cases[] = {
    {"one\ntwo", P, "onetwo"}, {"one\n\ntwo", P, "one\n\ntwo"}, {"end\n", P, "end"},
    {"one\n\n\n\ntwo", P, "one\n\ntwo"}, {"one\n\n\ntwo", P, "one\n\ntwo"},
    {"one\ntwo", H, "one\ntwo"}, {"one\n\n\ntwo", H, "one\n\ntwo"},
    {"a\n\n\n\n\nb\nc", H, "a\n\nb\nc"}, {"\nstart", P, "\nstart"},  // the first stays
    {"\n", P, "\n"}, {"", P, ""}, {"\n\n", P, "\n\n"},  // short texts stay as they are
    {"for\nsoftware", B, "for software"}, {"for \nsoftware", B, "for software"},
    {"for\n\tsoftware", B, "for\tsoftware"}, {"a\nb\nc", B, "a b c"},
    {"a\n\nb", B, "a\n\nb"}, {"a\n\n\n\nb", B, "a\n\nb"}, {"end\n", B, "end"},
    {"\nstart\nx", B, "\nstart x"}, {"one\ntwo\n\n\nthree", HB, "one\ntwo\n\nthree"},
  };
  for (const auto& c : cases) {
    WorkText text;
    ASSERT_TRUE(assignWorkText(text, c.text));
    stripSingleLineBreaks(text, c.form == H || c.form == HB, c.form == B || c.form == HB);
    EXPECT_EQ(textOf(text), c.stripped) << c.text;
  }
}

TEST(LineBreaksTest, ExpandPutsACarriageReturnBeforeEveryLineFeedAndRemoveTakesEveryOne) {
  WorkText text, none;
  ASSERT_TRUE(assignWorkText(text, "\nab\n") && expandLineEnds(text));
  EXPECT_EQ(textOf(text), "\r\nab\r\n");
  ASSERT_TRUE(assignWorkText(text, "a\r\nb\n\n") && expandLineEnds(text));
  EXPECT_EQ(textOf(text), "a\r\r\nb\r\n\r\n");
  ASSERT_TRUE(assignWorkText(text, "\r\nfirst\rline\r\n"));
  removeCarriageReturns(text);
  EXPECT_EQ(textOf(text), "\nfirstline\n");
  stripSingleLineBreaks(none, false);  // on no text they do nothing
  EXPECT_TRUE(expandLineEnds(none));
  removeCarriageReturns(none);
  EXPECT_FALSE(none.hasText());
}

TEST_F(SourceLoadingTest, FailuresSayWhyAndAMissingFileKeepsTheText) {
  ASSERT_TRUE(assignWorkText(text, "kept"));
  EXPECT_EQ(load(kSourceTextFile), "<not loaded>");  // no source file
  EXPECT_EQ(status, LoadStatus::kSourceMissing);
  EXPECT_EQ(text.view(), "kept");
  writeFile(source, std::string(90, 'x'));
  EXPECT_EQ(load(kSourceDocFile), "<not loaded>");
  EXPECT_EQ(status, LoadStatus::kDocNotDoc);
}

TEST_F(SourceLoadingTest, ClipboardTextLosesItsCarriageReturnsAndAnEmptyOneTakesNothing) {
  emptyClipboard();
  ASSERT_TRUE(assignWorkText(text, "kept"));
  EXPECT_FALSE(captureClipboard(text));
  EXPECT_EQ(text.view(), "kept");
  ASSERT_TRUE(writeClipboardText("a\r\nb\rc"));
  ASSERT_TRUE(captureClipboard(text));
  EXPECT_EQ(text.view(), "a\nbc");
  EXPECT_EQ(load(kSourceClipboard), "a\nbc");  // the clipboard kind loads nothing more
}

TEST_F(SourceLoadingTest, BuildFilesStoreLfAsCrLfInTheTemporaryFolderAndDocSourcesReadThemBack) {
  TempDir temporary;  // a folder of its own: other tests make temporary files meanwhile
  ScopedTemporaryFolder redirected(temporary.path().string());
  writeFile(source, "<TITLE>T</TITLE>body");  // an HTML load leaves no temporary file behind
  EXPECT_EQ(load(kSourceHtmlFile),
            "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"T\">\nbody");
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);
  ASSERT_TRUE(assignWorkText(text, "a\nb\n"));
  std::string path = writeBuildFile(text).value();
  EXPECT_EQ(readFile(path), bytesOf("a\r\nb\r\n"));
  EXPECT_EQ(countEntries(temporary.path().string()), 1u);
  std::remove(path.c_str());
  char name[40] = "Doc";
  writeFile(source, "");  // an empty text file makes an empty build file, which the builder refuses
  EXPECT_EQ(load(kSourceTextFile, true), "");
  EXPECT_TRUE(readFile(path = writeBuildFile(text).value()).empty());
  EXPECT_EQ(buildDoc(path.c_str(), dir.file("e.pdb").c_str(), name, false), kBuildFailed);
  std::remove(path.c_str());
  // A Doc built from a text's build file loads back as that text.
  writeFile(source, "first line\nsecond \x93line\x94\n\nthird\r kept CR\n");
  const std::string loaded = load(kSourceTextFile);
  path = writeBuildFile(text).value();
  ASSERT_EQ(buildDoc(path.c_str(), source.c_str(), name, false), kBuildOk);
  std::remove(path.c_str());
  EXPECT_EQ(load(kSourceDocFile), loaded);
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);
}

TEST_F(SourceLoadingTest, TemporaryNamesAreUniqueOrTheFixedOnesInTheCurrentFolder) {
  const std::string first = makeTemporaryPath(kFirstTemporaryFallback);
  const std::string second = makeTemporaryPath(kFirstTemporaryFallback);
  EXPECT_NE(first, second);
  EXPECT_NE(first, kFirstTemporaryFallback);
  EXPECT_TRUE(fileExists(first));  // made at once, so nobody else can take the name
  for (const std::string& path : {first, second}) std::remove(path.c_str());
  ScopedTemporaryFolder missing(dir.file("no such folder"));
  ScopedCurrentDir cwd(dir.path());
  EXPECT_EQ(makeTemporaryPath(kFirstTemporaryFallback), "tempdoc1.$$$");
  ASSERT_TRUE(assignWorkText(text, "x\n"));
  EXPECT_EQ(writeBuildFile(text), "tempdoc1.$$$");
  EXPECT_EQ(readFile(dir.file("tempdoc1.$$$")), bytesOf("x\r\n"));
}

TEST(SourceKindTest, EndingsChooseTheKindOnlyForPathsLongerThanFourCharacters) {
  const struct { const char* path; int current, kind; } cases[] = {
    {"book.TXT", kSourceBlankDoc, kSourceTextFile}, {"book.text", kSourceBlankDoc, kSourceTextFile},
    {"page.HTML", kSourceTextFile, kSourceHtmlFile}, {"page.htm", kSourceTextFile, kSourceHtmlFile},
    {"b.pdb", kSourceTextFile, kSourceDocFile}, {"b.Prc", kSourceTextFile, kSourceDocFile},
    {"b.xyz", kSourceHtmlFile, kSourceHtmlFile}, {".txt", kSourceBlankDoc, kSourceBlankDoc},
    {"a.htm", kSourceBlankDoc, kSourceHtmlFile},
  };
  for (const auto& c : cases) EXPECT_EQ(sourceTypeForPath(c.path, c.current), c.kind) << c.path;
}
// clang-format on

}  // namespace
}  // namespace quillet

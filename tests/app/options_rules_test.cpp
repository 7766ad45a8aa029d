#include "app/options_rules.h"

#include <gtest/gtest.h>

#include "source/source_kind.h"

namespace quillet {

namespace {

TEST(OptionsRulesTest, DocumentNamesAreTheSameInEveryRun) {
  DocNameGenerator names;
  EXPECT_EQ(names.nextName(), "New Doc 0041");
  EXPECT_EQ(names.nextName(), "New Doc 8467");
  EXPECT_EQ(names.nextName(), "New Doc 6334");
  DocNameGenerator again;
  EXPECT_EQ(again.next(), 41);
}

TEST(OptionsRulesTest, BrowsingSetsTheKindByTheEndingAndNeverLeavesABlankDocument) {
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.xyz", kSourceBlankDoc), kSourceTextFile);
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.xyz", kSourceHtmlFile), kSourceHtmlFile);
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.pdb", kSourceTextFile), kSourceDocFile);
  EXPECT_EQ(sourceTypeAfterBrowse("a.tx", kSourceBlankDoc), kSourceBlankDoc);  // too short
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\clip", kSourceClipboard), kSourceClipboard);
}

TEST(OptionsRulesTest, FirstFilterFollowsTheSelectedKind) {
  EXPECT_EQ(browseFilterIndex(kSourceHtmlFile), 2);
  EXPECT_EQ(browseFilterIndex(kSourceDocFile), 3);
  EXPECT_EQ(browseFilterIndex(kSourceBlankDoc), 1);
  EXPECT_EQ(browseFilterIndex(kSourceClipboard), 1);
}

TEST(OptionsRulesTest, PreviewEditsBelowThirtyThousandBytes) {
  EXPECT_TRUE(previewIsEditable(29999));
  EXPECT_FALSE(previewIsEditable(30000));
}

TEST(OptionsRulesTest, NamesAreCutToThirtyTwoCharacters) {
  char name[40] = "012345678901234567890123456789012345678";  // 39 characters
  cutPalmName(name);
  EXPECT_STREQ(name, "01234567890123456789012345678901");
  char shortName[40] = "Short";
  cutPalmName(shortName);
  EXPECT_STREQ(shortName, "Short");
}

}  // namespace

}  // namespace quillet

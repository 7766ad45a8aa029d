// What the options dialog decides on opening and on Continue, against a settings key of
// the test's own. The dialog itself, with the clipboard and the file dialogs, is tested
// under Wine (tests/gui/options_dialog_test.cpp).
#include "app/options_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hotsync/palm_user_list.h"
#include "platform/clipboard.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { emptyClipboard(); }
  void TearDown() override { emptyClipboard(); }

  void storeOptions(int sourceType, std::string_view sourcePath) {
    AppOptions stored;
    stored.sourceType = sourceType;
    setFieldText(stored.sourcePath, sourcePath);
    storeAppOptions(stored, key.c_str());
  }

  void open(std::string_view commandLine) {
    options = AppOptions{};
    openOptions(options, text, commandLine, key.c_str());
  }

  ScopedTestRegistry registry;
  const std::string key = registry.path("Corvane Software\\Quillet\\v1.0");
  AppOptions options;
  WorkText text;
};

TEST_F(OptionsDialogTest, AKindTheListCannotShowBecomesTextFile) {
  for (int damaged : {-1, 5, 77, kSourceClipboard}) {
    storeOptions(damaged, "");
    open("q.exe");
    EXPECT_EQ(options.sourceType, kSourceTextFile) << damaged;
  }
  ASSERT_TRUE(writeClipboardText("x"));
  open("q.exe");
  EXPECT_EQ(options.sourceType, kSourceClipboard);
  storeOptions(5, "");
  open("q.exe");
  EXPECT_EQ(options.sourceType, kSourceTextFile);
}

TEST_F(OptionsDialogTest, ALastWordThatNamesNoReadableFileChangesNothing) {
  TempDir dir;
  ScopedCurrentDir inside(dir.path());
  writeFile(dir.file("my book.txt"), "text");
  writeFile(dir.file("quoted.txt"), "text");
  // A readable file whose path does not fit the 260-byte field.
  std::filesystem::path deep = dir.path();
  for (char c : {'a', 'b', 'c'}) deep /= std::string(100, c);
  std::filesystem::create_directories(deep);
  writeFile((deep / "long.txt").string(), "text");
  storeOptions(kSourceDocFile, "C:\\stored.pdb");
  const std::string lines[] = {"q.exe", "q.exe ", "q.exe missing.txt",
                               // Only the text after the last blank is tried, quotes and all.
                               "q.exe my book.txt", "q.exe \"my book.txt\"", "q.exe \"quoted.txt\"",
                               "q.exe " + dir.path().string(),  // a folder
                               "q.exe " + (deep / "long.txt").string()};
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    open(line);
    EXPECT_EQ(fieldText(options.sourcePath), "C:\\stored.pdb");
    EXPECT_EQ(options.sourceType, kSourceDocFile);
  }
}

TEST_F(OptionsDialogTest, AReadableLastWordSetsTheKindOnlyByAKnownEndingPastFourCharacters) {
  TempDir dir;
  ScopedCurrentDir inside(dir.path());
  for (const char* name : {".htm", "a.htm", "notes.md"}) writeFile(dir.file(name), "text");
  storeOptions(kSourceDocFile, "C:\\stored.pdb");
  struct Case {
    const char* lastWord;
    int sourceType;
  };
  for (const Case& test : {Case{".htm", kSourceDocFile}, Case{"notes.md", kSourceDocFile},
                           Case{"a.htm", kSourceHtmlFile}}) {
    open(std::string("q.exe ") + test.lastWord);
    EXPECT_EQ(fieldText(options.sourcePath), test.lastWord);
    EXPECT_EQ(options.sourceType, test.sourceType) << test.lastWord;
  }
}

OptionsChoice chosen(std::string_view palmName, std::string_view sourcePath = "") {
  OptionsChoice choice;
  choice.palmName = palmName;
  choice.sourcePath = sourcePath;
  choice.selectedSourceType = kSourceTextFile;
  return choice;
}

TEST_F(OptionsDialogTest, OnlyUnnamedDocumentsTakeANumberAndFieldsAreCutToTheirWidth) {
  FlowState flow;
  DocNameGenerator names;
  acceptOptions(options, flow, names, chosen(""), key.c_str());
  EXPECT_EQ(fieldText(options.palmName), "New Doc 0041");
  acceptOptions(options, flow, names, chosen("Named"), key.c_str());
  acceptOptions(options, flow, names, chosen(""), key.c_str());
  EXPECT_EQ(fieldText(options.palmName), "New Doc 8467");

  acceptOptions(options, flow, names, chosen("", std::string(300, 'p')), key.c_str());
  AppOptions stored;
  loadAppOptions(stored, key.c_str());
  EXPECT_EQ(fieldText(stored.sourcePath), std::string(259, 'p'));
  EXPECT_EQ(flow.advanceRequest, 4);
}

TEST_F(OptionsDialogTest, TextFieldsKeepTheBytesAfterTheirEndAsTheStoreHoldsThem) {
  FlowState flow;
  DocNameGenerator names;
  setFieldText(options.palmName, "An older, longer name");
  acceptOptions(options, flow, names, chosen("Hi"), key.c_str());
  std::uint32_t type = 0;
  Bytes stored;
  ASSERT_TRUE(queryValueAt(key + "\\options_palm_name", type, stored));
  ASSERT_EQ(stored.size(), kPalmNameSize);
  EXPECT_EQ(std::string(stored.begin(), stored.begin() + 22),
            std::string("Hi\0older, longer name", 21) + '\0');
}

}  // namespace

}  // namespace quillet

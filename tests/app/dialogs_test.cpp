// What the dialogs and the start-up do with files and settings, in a folder and a settings
// key of the test's own. The dialogs themselves are tested under Wine (tests/gui/).
#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/install_dialogs.h"
#include "app/options_dialog.h"
#include "app/preview_dialog.h"
#include "app/startup_scan.h"
#include "platform/clipboard.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace quillet {
namespace {

using namespace testing_support;

class AppTest : public ::testing::Test {
 protected:
  AppTest() { emptyClipboard(); }
  ~AppTest() override { emptyClipboard(); }

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

  void accept(std::string_view palmName, std::string_view sourcePath = "") {
    OptionsChoice choice;
    choice.palmName = palmName;
    choice.sourcePath = sourcePath;
    choice.selectedSourceType = kSourceTextFile;
    acceptOptions(options, flow, names, choice, key.c_str());
  }

  ScopedTestRegistry registry;
  const std::string key = registry.path("Corvane Software\\Quillet\\v1.0");
  TempDir dir;
  ScopedCurrentDir inside{dir.path()};
  AppOptions options;
  WorkText text;
  FlowState flow;
  DocNameGenerator names;
};

TEST_F(AppTest, AKindTheListCannotShowBecomesTextFile) {
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

TEST_F(AppTest, OnlyAReadableLastWordIsTakenAndItSetsTheKindByAKnownEndingPastFourCharacters) {
  for (const char* name : {"my book.txt", "quoted.txt", ".htm", "a.htm", "notes.md"})
    writeFile(dir.file(name), "text");
  // A readable file whose path does not fit the 260-byte field.
  std::filesystem::path deep = dir.path();
  for (char c : {'a', 'b', 'c'}) deep /= std::string(100, c);
  std::filesystem::create_directories(deep);
  writeFile((deep / "long.txt").string(), "text");
  storeOptions(kSourceDocFile, "C:\\stored.pdb");
  const std::string unchanged[] = {"q.exe", "q.exe ", "q.exe missing.txt",
                                   // Only the text after the last blank is tried, quotes and all.
                                   "q.exe my book.txt", "q.exe \"my book.txt\"",
                                   "q.exe \"quoted.txt\"",
                                   "q.exe " + dir.path().string(),  // a folder
                                   "q.exe " + (deep / "long.txt").string()};
  for (const std::string& line : unchanged) {
    open(line);
    EXPECT_EQ(fieldText(options.sourcePath), "C:\\stored.pdb") << line;
    EXPECT_EQ(options.sourceType, kSourceDocFile) << line;
  }
  for (const auto& [word, kind] : {std::pair{".htm", kSourceDocFile},
                                   {"notes.md", kSourceDocFile},
                                   {"a.htm", kSourceHtmlFile}}) {
    open(std::string("q.exe ") + word);
    EXPECT_EQ(fieldText(options.sourcePath), word);
    EXPECT_EQ(options.sourceType, kind) << word;
  }
}

TEST_F(AppTest, ContinueNumbersOnlyUnnamedDocumentsAndStoresFieldsCutToTheirWidth) {
  accept("");
  EXPECT_EQ(fieldText(options.palmName), "New Doc 0041");
  accept("Named");
  accept("");
  EXPECT_EQ(fieldText(options.palmName), "New Doc 8467");
  accept("", std::string(300, 'p'));
  EXPECT_EQ(fieldText(options.palmName), "New Doc 6334");
  AppOptions stored;
  loadAppOptions(stored, key.c_str());
  EXPECT_EQ(fieldText(stored.sourcePath), std::string(259, 'p'));
  EXPECT_EQ(flow.advanceRequest, 4);
  accept(std::string(39, 'n'));  // names are cut to 32
  EXPECT_EQ(fieldText(options.palmName), std::string(32, 'n'));
  // Text fields keep the bytes after their end as the store holds them.
  setFieldText(options.palmName, "An older, longer name");
  accept("Hi");
  std::uint32_t type = 0;
  Bytes value;
  ASSERT_TRUE(queryValueAt(key + "\\options_palm_name", type, value));
  ASSERT_EQ(value.size(), kPalmNameSize);
  EXPECT_EQ(std::string(value.begin(), value.begin() + 22),
            std::string("Hi\0older, longer name\0", 22));
}

TEST_F(AppTest, CancellingTheUserListDeletesTheDocumentOnlyWhenItWasBuiltToInstall) {
  const std::string document = dir.file("temporary.pdb");
  setFieldText(options.outputPath, document);
  writeFile(document, "built document");
  for (const bool saved : {true, false}) {
    options.saveToFile = saved ? 1 : 0;
    flow.cancelRequest = 0;
    cancelUserSelection(options, flow);
    EXPECT_EQ(fileExists(document), saved);
    EXPECT_EQ(flow.cancelRequest, 1);
  }
  EXPECT_EQ(flow.advanceRequest, 0);
  options.outputPath[0] = '\0';
  flow.cancelRequest = 0;
  cancelUserSelection(options, flow);
  EXPECT_EQ(flow.cancelRequest, 1);
}

TEST_F(AppTest, TheStartupScanShowsTheSplashScansAndEndsWithDone) {
  const std::string pilotDesktop = registry.path("U.S. Robotics\\Pilot Desktop");
  const std::string palmDesktop = registry.path("3Com\\Palm Desktop");
  FakePalmFolder palm{dir.file("Palm")};
  std::vector<std::string> statuses;
  std::vector<unsigned> pauses;
  std::vector<std::pair<std::string, std::string>> told;
  const MessageSink tell = [&told](std::string_view caption, std::string_view message) {
    told.emplace_back(caption, message);
  };
  int splashes = 0;
  int splash = 0;  // its address stands for the dialog
  flow.advanceRequest = 3;
  ScanOptions scanning;
  scanning.keys = {pilotDesktop.c_str(), palmDesktop.c_str()};
  scanning.showStatus = [&](const char* status) { statuses.emplace_back(status); };
  scanning.pause = [&](unsigned milliseconds) { pauses.push_back(milliseconds); };
  PalmUserList users;
  EXPECT_EQ(startupScan(
                users, flow, [&] { return ++splashes, nullptr; }, scanning, tell),
            -2);
  EXPECT_EQ(splashes, 1);
  EXPECT_TRUE(told.empty()) << "no scan without the splash";
  EXPECT_EQ(flow.currentDialog, nullptr);
  EXPECT_EQ(flow.advanceRequest, 3);

  const auto showSplash = [&]() -> DialogHandle { return &splash; };
  EXPECT_EQ(startupScan(users, flow, showSplash, scanning, tell), 0);
  EXPECT_EQ(told, (decltype(told){{"Registry Error", "Cannot locate a path to the Palm folder"}}));
  EXPECT_EQ(statuses, std::vector<std::string>{"Done"});

  const std::string path = palm.path();
  ASSERT_EQ(writeSetting((pilotDesktop + "\\Core\\Path").c_str(), path.c_str(),
                         static_cast<std::uint32_t>(path.size() + 1), kRegSz),
            0);
  palm.addFolder("SmithA", {"Install"});
  statuses.clear();
  pauses.clear();
  EXPECT_EQ(startupScan(users, flow, showSplash, scanning, tell), 0);
  EXPECT_EQ(flow.currentDialog, &splash);
  EXPECT_EQ(flow.advanceRequest, 0);
  EXPECT_EQ(users.userCount, 1);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Found user 'SmithA'", "Done"}));
  EXPECT_EQ(pauses, (std::vector<unsigned>{100, 2000}));
  EXPECT_EQ(told.size(), 1u);
}

TEST_F(AppTest, TheEditedPreviewIsSavedAsItWouldBeBuiltWithCrLfLineEnds) {
  ASSERT_TRUE(assignWorkText(text, "before\r\n"));
  EXPECT_EQ(previewFileText(text, "after\r\nedits\r\n"), "after\r\nedits\r\n");
  // The build drops lone CRs and ends a line at every LF.
  EXPECT_EQ(previewFileText(text, "a\nb\rc\r\r\n"), "a\r\nbc\r\n");
  // Too long to edit: saved whole, as it is, whatever the field shows.
  const std::string whole = std::string(30000, 'w') + "\r\r\n";
  ASSERT_TRUE(assignWorkText(text, whole));
  EXPECT_EQ(previewFileText(text, "shown"), whole);
}

TEST_F(AppTest, ThePreviewIsWrittenAsItIsOrNotAtAll) {
  const std::string path = dir.file("saved.txt");
  writeFile(path, std::string(100, 'o'));
  ASSERT_TRUE(writeWholeFile(path.c_str(), std::string("a\r\nb\0c\x1A\r\n", 9)));
  EXPECT_EQ(hexOf(readFile(path)), "61 0D 0A 62 00 63 1A 0D 0A");
  EXPECT_FALSE(writeWholeFile(dir.file("no folder/saved.txt").c_str(), "text"));
  EXPECT_EQ(countEntries(dir.path().string()), 1u);
#ifndef _WIN32
  // A file size limit makes the write fail part of the way, as a full disk would: the file
  // is not left behind.
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  limited.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &limited);
  const bool written = writeWholeFile(dir.file("big.txt").c_str(), std::string(100000, 'x'));
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  EXPECT_FALSE(fileExists(dir.file("big.txt")));
#endif
}

}  // namespace
}  // namespace quillet

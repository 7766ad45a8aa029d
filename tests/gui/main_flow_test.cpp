// quillet-maker.exe from start to end under Wine, one run of the program per scenario: the
// -u names of its command line, whole conversions through its dialogs (installed for
// HotSync users, or saved to a file), the ways back to the options dialog, and the
// failures with their messages. What is checked is what its user sees (the one dialog on
// screen, the message boxes' texts), the files it makes and leaves, the registry values it
// writes, and its exit code, which is 0 however it ends.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/app_options.h"
#include "app/resources/resource_ids.h"
#include "hotsync/palm_user_list.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "tests/gui/palm_desktop_setup.h"
#include "tests/gui/program_options_setup.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using namespace testing_support;
using Titles = std::vector<std::string>;

constexpr char kOptionsTitle[] = "Quillet Maker - Options";
constexpr char kPreviewTitle[] = "Quillet Maker - Document Preview";
constexpr char kUserSelectTitle[] = "Quillet Maker - Install to User...";
constexpr char kProgressTitle[] = "Quillet Maker - Installing Files...";
constexpr char kCompleteTitle[] = "Quillet Maker - Conversion Complete";
constexpr char kSaveDocTitle[] = "Choose Output Palm Doc File";

constexpr char kInstalledText[] =
    "Conversion Complete\n\nPlease HotSync when done to transfer all installed document files "
    "to the handheld.";
constexpr char kSavedText[] =
    "Conversion Complete\n\nThe converted document has been written to the specified file.";

// What the options dialog shows, and what a scenario sets in it.
struct ShownOptions {
  int sourceType = kSourceTextFile;
  std::string sourcePath;
  std::string palmName;
  bool showPreview = false;
  bool stripLineBreaks = false;
  bool saveToFile = false;
  bool publicFormat = false;

  bool operator==(const ShownOptions&) const = default;
};

void PrintTo(const ShownOptions& shown, std::ostream* out) {
  *out << "{type " << shown.sourceType << ", path \"" << shown.sourcePath << "\", name \""
       << shown.palmName << "\", preview " << shown.showPreview << ", strip "
       << shown.stripLineBreaks << ", save " << shown.saveToFile << ", public "
       << shown.publicFormat << "}";
}

ShownOptions shownOptions(HWND options) {
  ShownOptions shown;
  shown.sourceType = comboBoxSelection(options, IDC_SOURCE_TYPE);
  shown.sourcePath = controlText(options, IDC_SOURCE_PATH);
  shown.palmName = controlText(options, IDC_PALM_NAME);
  shown.showPreview = isChecked(options, IDC_SHOW_PREVIEW);
  shown.stripLineBreaks = isChecked(options, IDC_STRIP_LINE_BREAKS);
  shown.saveToFile = isChecked(options, IDC_SAVE_TO_FILE);
  shown.publicFormat = isChecked(options, IDC_PUBLIC_FORMAT);
  return shown;
}

// Sets every field of the options dialog, as its user would before pressing Continue.
bool chooseOptions(HWND options, const ShownOptions& choice) {
  return selectComboBoxEntry(options, IDC_SOURCE_TYPE, choice.sourceType) &&
         setControlText(options, IDC_SOURCE_PATH, choice.sourcePath) &&
         setControlText(options, IDC_PALM_NAME, choice.palmName) &&
         setChecked(options, IDC_SHOW_PREVIEW, choice.showPreview) &&
         setChecked(options, IDC_STRIP_LINE_BREAKS, choice.stripLineBreaks) &&
         setChecked(options, IDC_SAVE_TO_FILE, choice.saveToFile) &&
         setChecked(options, IDC_PUBLIC_FORMAT, choice.publicFormat);
}

// The options as the program keeps them between runs.
AppOptions storedForm(const ShownOptions& shown, std::string_view hotsyncName = "") {
  AppOptions options;
  options.sourceType = shown.sourceType;
  setFieldText(options.sourcePath, shown.sourcePath);
  setFieldText(options.palmName, shown.palmName);
  options.showPreview = shown.showPreview ? 1 : 0;
  options.stripLineBreaks = shown.stripLineBreaks ? 1 : 0;
  options.saveToFile = shown.saveToFile ? 1 : 0;
  options.publicFormat = shown.publicFormat ? 1 : 0;
  setFieldText(options.hotsyncName, hotsyncName);
  return options;
}

// Waits for the program's dialog with this title, which must then be the only window the
// program shows: the flow takes one dialog down before it puts up the next.
HWND awaitDialog(const LaunchedProgram& program, const char* title) {
  HWND dialog = waitForWindow(program.processId(), title);
  if (dialog == nullptr) {
    ADD_FAILURE() << "no \"" << title
                  << "\"; on screen: " << testing::PrintToString(shownWindows(program.processId()));
    return nullptr;
  }
  EXPECT_EQ(shownWindows(program.processId()), Titles{title});
  return dialog;
}

// The text of a completion dialog: its one static text without an id of its own.
std::string completionText(HWND complete) { return storedText(GetDlgItem(complete, IDC_NONE)); }

// Answers the next message box: it must have this caption and text, no owner and an OK
// button only.
testing::AssertionResult answeredMessage(const LaunchedProgram& program, const char* caption,
                                         const std::string& text) {
  SeenMessage seen;
  if (!answerMessageBox(program.processId(), caption, seen)) {
    return testing::AssertionFailure()
           << "no message box \"" << caption
           << "\"; on screen: " << testing::PrintToString(shownWindows(program.processId()));
  }
  if (seen.text != text || seen.hasOwner || !seen.okOnly) {
    return testing::AssertionFailure()
           << caption << ": \"" << seen.text << "\"" << (seen.hasOwner ? ", with an owner" : "")
           << (seen.okOnly ? "" : ", not OK only");
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult endedWithExitCodeZero(LaunchedProgram& program) {
  DWORD exitCode = 99;
  if (!program.waitForExit(exitCode)) {
    return testing::AssertionFailure() << "still running; on screen: "
                                       << testing::PrintToString(shownWindows(program.processId()));
  }
  if (exitCode != 0) return testing::AssertionFailure() << "exit code " << exitCode;
  return testing::AssertionSuccess();
}

// HotSync Manager's install flag for a HotSync number; nothing when it is not set.
std::optional<DWORD> installFlag(int hotsyncNumber) {
  const std::string key = std::string(kPilotDesktopKey) + "\\HotSync Manager";
  const std::string name = "Install" + std::to_string(hotsyncNumber);
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::string makeFolder(const std::string& path) {
  std::filesystem::create_directory(path);
  return path;
}

// A HotSync user of the faked Palm Desktop.
struct FakeUser {
  const char* folder;
  const char* name;
  std::int16_t hotsyncNumber;
};

class MainFlowTest : public testing::Test {
 protected:
  MainFlowTest() { emptyClipboard(); }
  ~MainFlowTest() override { emptyClipboard(); }

  // Palm Desktop with these users: a folder each with its install and backup folders,
  // and their names and HotSync numbers in users.dat.
  void fakePalmDesktop(std::initializer_list<FakeUser> users) {
    Bytes usersDat = bytesOf("users");
    for (const FakeUser& user : users) {
      palm().addFolder(user.folder, {"Install", "backup"});
      const Bytes record = usersDatRecord(user.hotsyncNumber, user.name, user.folder);
      usersDat.insert(usersDat.end(), record.begin(), record.end());
    }
    palm().writeUsersDat(usersDat);
    ASSERT_TRUE(desktop_.importStandardValues());
  }

  FakePalmFolder& palm() { return desktop_.palm(); }
  std::string installed(const char* folder, const char* kind, const char* file) {
    return palm().pathOf(folder, kind) + "\\" + file;
  }

  // The user names in the order the scan finds their folders.
  std::vector<std::string> namesInScanOrder(std::initializer_list<FakeUser> users) {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(listDirectory(palm().path().c_str(), entries));
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : entries) {
      for (const FakeUser& user : users) {
        if (entry.name == user.folder) names.emplace_back(user.name);
      }
    }
    return names;
  }

  // The database quillet.exe builds from the same source with the same options.
  Bytes builtByQuillet(const std::string& source, const std::string& options) {
    const std::string output = dir_.file("by-quillet.pdb");
    const ProgramRun run =
        runProgram(QUILLET_CLI_EXE, "build \"" + source + "\" -o \"" + output + "\" -q " + options);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const Bytes built = readFile(output);
    std::remove(output.c_str());
    EXPECT_GT(built.size(), 78u + 16u) << "quillet build made no Doc";
    return built;
  }

  // Files the program leaves in its temporary folder (one of the scenario's own).
  std::size_t temporaryFiles() const { return countEntries(temporary_); }

  ScopedPalmDesktop desktop_;
  ScopedProgramOptions options_;
  TempDir dir_;
  const std::string temporary_ = makeFolder(dir_.file("temporary"));
  ScopedTemporaryFolder temporaryFolder_{temporary_};
};

TEST_F(MainFlowTest, NamesOnTheCommandLineInstallAtOnceAndTheNextConversionAsksForTheUser) {
  const std::initializer_list<FakeUser> users = {
      {"SmithA", "Ann Smith", 5}, {"JonesB", "Bob", 7}, {"CarlC", "Carl", 9}};
  fakePalmDesktop(users);
  const std::string story = dir_.file("story.txt");
  writeFile(story, proseText(9000));
  // The source on the command line replaces the stored one, and sets its kind.
  ShownOptions choice{kSourceHtmlFile, "C:\\elsewhere\\page.html", "Flow Book", false, true};
  ASSERT_TRUE(options_.preset(storedForm(choice)));
  const Bytes expected = builtByQuillet(story, "-t text -s -n \"Flow Book\"");

  // A quoted name with a blank, a name right after -u; -U is no switch.
  LaunchedProgram maker(QUILLET_MAKER_EXE, "-u \"Ann Smith\" -uBob -U Carl " + story);
  ASSERT_TRUE(maker.started());
  HWND options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  choice.sourceType = kSourceTextFile;
  choice.sourcePath = story;
  EXPECT_EQ(shownOptions(options), choice);
  pressButton(options, IDC_CONTINUE);

  // No user selection: installed for the two names, then the completion dialog.
  HWND complete = awaitDialog(maker, kCompleteTitle);
  ASSERT_NE(complete, nullptr);
  EXPECT_EQ(completionText(complete), kInstalledText);
  for (const char* folder : {"SmithA", "JonesB"}) {
    for (const char* kind : {"Install", "backup"}) {
      EXPECT_EQ(readFile(installed(folder, kind, "Flow_Book.pdb")), expected) << folder << kind;
    }
  }
  EXPECT_FALSE(fileExists(installed("CarlC", "Install", "Flow_Book.pdb")));
  EXPECT_EQ(installFlag(5), 1u);
  EXPECT_EQ(installFlag(7), 1u);
  EXPECT_EQ(installFlag(9), std::nullopt);
  EXPECT_EQ(fieldText(options_.stored().hotsyncName), "Bob");
  EXPECT_EQ(temporaryFiles(), 0u) << "the build file and the temporary document are deleted";

  // The names served the first install only.
  pressButton(complete, IDC_SECOND_BUTTON);  // "Convert &Another"
  options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  pressButton(options, IDC_CONTINUE);
  HWND select = awaitDialog(maker, kUserSelectTitle);
  ASSERT_NE(select, nullptr);
  const std::vector<std::string> listed = listBoxEntries(select, IDC_USER_LIST);
  EXPECT_EQ(listed, namesInScanOrder(users));
  const auto position = [&](const char* name) {
    return static_cast<int>(std::find(listed.begin(), listed.end(), name) - listed.begin());
  };
  EXPECT_EQ(listBoxSelection(select, IDC_USER_LIST), position("Bob"));
  selectListBoxEntry(select, IDC_USER_LIST, position("Carl"));
  pressButton(select, IDC_CONTINUE);

  complete = awaitDialog(maker, kCompleteTitle);
  ASSERT_NE(complete, nullptr);
  EXPECT_EQ(readFile(installed("CarlC", "Install", "Flow_Book.pdb")), expected);
  EXPECT_EQ(readFile(installed("CarlC", "backup", "Flow_Book.pdb")), expected);
  EXPECT_EQ(installFlag(9), 1u);
  EXPECT_EQ(fieldText(options_.stored().hotsyncName), "Carl");
  EXPECT_EQ(temporaryFiles(), 0u);

  closeWindow(complete);
  EXPECT_TRUE(endedWithExitCodeZero(maker));
}

// A scenario whose command line names one user who does not exist: the install is tried
// at once, for nobody, and the program ends.
class NoUserNamedTest : public MainFlowTest {
 protected:
  void convertExpectingNoUser(const std::string& program, const std::string& arguments) {
    fakePalmDesktop({{"SmithA", "Ann", 1}});
    const std::string story = dir_.file("story.txt");
    writeFile(story, proseText(500));
    ASSERT_TRUE(options_.preset(storedForm({kSourceTextFile, story, "Lone"}, "Ann")));

    LaunchedProgram maker(program, arguments);
    ASSERT_TRUE(maker.started());
    HWND options = awaitDialog(maker, kOptionsTitle);
    ASSERT_NE(options, nullptr);
    pressButton(options, IDC_CONTINUE);
    // Had the user selection been shown, it would still be waiting for an answer.
    EXPECT_TRUE(answeredMessage(maker, "Install Error", "No valid users selected"));
    EXPECT_TRUE(endedWithExitCodeZero(maker));

    EXPECT_EQ(countEntries(palm().pathOf("SmithA", "Install")), 0u);
    EXPECT_EQ(countEntries(palm().pathOf("SmithA", "backup")), 0u);
    EXPECT_EQ(installFlag(1), std::nullopt);
    EXPECT_EQ(fieldText(options_.stored().hotsyncName), "Ann");
    EXPECT_EQ(temporaryFiles(), 0u);
  }
};

TEST_F(NoUserNamedTest, MinusUAtTheVeryEndIsOneEmptyName) {
  convertExpectingNoUser(QUILLET_MAKER_EXE, "-u");
}

TEST_F(NoUserNamedTest, AProgramPathHoldingBlankHyphenUYieldsAName) {
  // The name read is the rest of the path's word, Ann\quillet-maker.exe" : not Ann.
  const std::string folder = makeFolder(dir_.file("Tools -uAnn"));
  const std::string program = folder + "\\quillet-maker.exe";
  ASSERT_TRUE(CopyFileA(fullPath(QUILLET_MAKER_EXE).c_str(), program.c_str(), FALSE));
  convertExpectingNoUser(program, "");
}

TEST_F(MainFlowTest, SavingToAFileNeedsNoHotSyncUserAndANewBlankDocIsAlwaysPreviewed) {
  fakePalmDesktop({});  // Palm Desktop without a single user
  const std::string saved = fullPath(dir_.file("saved book.pdb"));
  ShownOptions choice{kSourceBlankDoc, "", "Blank Page", false, false, true, true};
  ASSERT_TRUE(options_.preset(storedForm(choice)));

  LaunchedProgram maker(QUILLET_MAKER_EXE, "");
  ASSERT_TRUE(maker.started());
  HWND options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  pressButton(options, IDC_CONTINUE);
  ASSERT_TRUE(answerFileDialog(maker.processId(), kSaveDocTitle, saved));

  HWND preview = awaitDialog(maker, kPreviewTitle);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(controlText(preview, IDC_PREVIEW_TEXT), "\r\n");
  ASSERT_TRUE(setControlText(preview, IDC_PREVIEW_TEXT, "Typed in the preview.\r\nSecond line."));
  pressButton(preview, IDC_CONTINUE);

  HWND complete = awaitDialog(maker, kCompleteTitle);
  ASSERT_NE(complete, nullptr);
  EXPECT_EQ(completionText(complete), kSavedText);
  const std::string typed = dir_.file("typed.txt");
  writeFile(typed, "Typed in the preview.\nSecond line.");
  EXPECT_EQ(readFile(saved), builtByQuillet(typed, "-t text -n \"Blank Page\" --public"));

  // Installing needs a user: there is none, and the program says so twice and ends.
  pressButton(complete, IDC_SECOND_BUTTON);  // "Convert &Another"
  options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  const std::string page = dir_.file("page.html");
  writeFile(page, "<html><body><h1>Title</h1><p>Some text.</p></body></html>");
  ASSERT_TRUE(chooseOptions(options, {kSourceHtmlFile, page, "Web Page"}));
  pressButton(options, IDC_CONTINUE);
  EXPECT_TRUE(answeredMessage(maker, "Install Error", "No valid Palm users found on this PC"));
  EXPECT_TRUE(answeredMessage(maker, "Install Error", "No valid users selected"));
  EXPECT_TRUE(endedWithExitCodeZero(maker));
  EXPECT_EQ(temporaryFiles(), 0u);
}

TEST_F(MainFlowTest, CancelsReturnToTheOptionsWhichTakeTheClipboardAfresh) {
  fakePalmDesktop({{"SmithA", "Ann", 1}, {"JonesB", "Bob", 2}});
  ASSERT_TRUE(
      options_.preset(storedForm({kSourceClipboard, "", "Clipped", true, false, false}, "Bob")));
  ASSERT_TRUE(writeClipboardText("First clipboard text"));

  LaunchedProgram maker(QUILLET_MAKER_EXE, "");
  ASSERT_TRUE(maker.started());
  HWND options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 20 characters");
  EXPECT_EQ(comboBoxSelection(options, IDC_SOURCE_TYPE), kSourceClipboard);
  pressButton(options, IDC_CONTINUE);

  // Cancel in the preview.
  HWND preview = awaitDialog(maker, kPreviewTitle);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(controlText(preview, IDC_PREVIEW_TEXT), "First clipboard text");
  ASSERT_TRUE(writeClipboardText("Second"));
  pressButton(preview, IDC_SECOND_BUTTON);
  options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 6 characters");

  // The save dialog closed without a choice: the options were stored before it opened.
  ASSERT_TRUE(setChecked(options, IDC_SAVE_TO_FILE, true));
  pressButton(options, IDC_CONTINUE);
  ASSERT_TRUE(writeClipboardText("Third text!"));
  ASSERT_TRUE(cancelFileDialog(maker.processId(), kSaveDocTitle));
  EXPECT_TRUE(waitForWindowGone(options));  // the flow puts up a new options dialog
  options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 11 characters");
  EXPECT_TRUE(isChecked(options, IDC_SAVE_TO_FILE));
  EXPECT_EQ(options_.stored().saveToFile, 1);

  // Cancel in the user selection deletes the document built for the install.
  ASSERT_TRUE(setChecked(options, IDC_SAVE_TO_FILE, false));
  ASSERT_TRUE(setChecked(options, IDC_SHOW_PREVIEW, false));
  pressButton(options, IDC_CONTINUE);
  HWND select = awaitDialog(maker, kUserSelectTitle);
  ASSERT_NE(select, nullptr);
  EXPECT_EQ(temporaryFiles(), 1u) << "the document built for the install";
  ASSERT_TRUE(writeClipboardText("The fourth one"));
  pressButton(select, IDC_SECOND_BUTTON);
  options = awaitDialog(maker, kOptionsTitle);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 14 characters");
  EXPECT_EQ(temporaryFiles(), 0u);
  EXPECT_EQ(countEntries(palm().pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(countEntries(palm().pathOf("JonesB", "Install")), 0u);
  EXPECT_EQ(fieldText(options_.stored().hotsyncName), "Bob");

  // Closed through its title bar, the user selection ends the program and leaves the
  // document built for the install where it is.
  pressButton(options, IDC_CONTINUE);
  select = awaitDialog(maker, kUserSelectTitle);
  ASSERT_NE(select, nullptr);
  closeWindow(select);
  EXPECT_TRUE(endedWithExitCodeZero(maker));
  EXPECT_EQ(temporaryFiles(), 1u);
  EXPECT_EQ(installFlag(1), std::nullopt);
  EXPECT_EQ(installFlag(2), std::nullopt);
}

TEST_F(MainFlowTest, FailedLoadsAndBuildsReturnToTheOptionsWithTheOptionsKept) {
  fakePalmDesktop({});
  // No temporary folder, and a folder in the way of the first fallback name in the current
  // folder, which the save dialog makes the output file's: the build file cannot be
  // written until the scenario removes that folder.
  ScopedTemporaryFolder noTemporaryFolder(dir_.file("no such folder"));
  const std::string current = makeFolder(dir_.file("current"));
  const std::string blocker = makeFolder(current + "\\tempdoc1.$$$");
  const std::string output = current + "\\out.pdb";
  const std::string notDoc = dir_.file("not a doc.pdb");
  writeFile(notDoc, installableDatabase("Not a Doc", 0, "no TEXt type in this header"));
  const std::string empty = dir_.file("empty.txt");
  writeFile(empty, "");
  const std::string story = dir_.file("story.txt");
  writeFile(story, proseText(2000));
  ShownOptions choice{
      kSourceTextFile, dir_.file("missing.txt"), "Kept Name", false, true, true, true};
  ASSERT_TRUE(options_.preset(storedForm(choice)));

  LaunchedProgram maker(QUILLET_MAKER_EXE, "");
  ASSERT_TRUE(maker.started());
  const auto convert = [&](const ShownOptions& chosen) -> HWND {
    HWND options = awaitDialog(maker, kOptionsTitle);
    if (options == nullptr) return nullptr;
    EXPECT_EQ(shownOptions(options), choice) << "the options chosen before the failure";
    choice = chosen;
    EXPECT_TRUE(chooseOptions(options, choice));
    pressButton(options, IDC_CONTINUE);
    EXPECT_TRUE(answerFileDialog(maker.processId(), kSaveDocTitle, output));
    return options;
  };

  ASSERT_NE(convert(choice), nullptr);
  EXPECT_TRUE(answeredMessage(maker, "Load Error", "Cannot find specified source file"));

  ASSERT_NE(convert({kSourceDocFile, notDoc, "Kept Name", false, true, true, true}), nullptr);
  EXPECT_TRUE(answeredMessage(maker, "File Import Error",
                              "The selected file is not a valid Palm Doc file.\nIf a Palm "
                              "document or e-book, it may be in incompatible proprietary format."));

  ASSERT_NE(convert({kSourceTextFile, story, "Kept Name", false, true, true, true}), nullptr);
  EXPECT_TRUE(
      answeredMessage(maker, "Doc Creation Error", "Could not write document to temporary file"));
  EXPECT_FALSE(fileExists(output)) << "the build never started";

  // The build file can be written now; the builder refuses the empty text. What it wrote
  // stays: a database of record 0 only.
  std::filesystem::remove(blocker);
  ASSERT_NE(convert({kSourceTextFile, empty, "Kept Name", false, true, true, true}), nullptr);
  EXPECT_TRUE(
      answeredMessage(maker, "Doc Creation Error", "Could not write document to temporary file"));
  const Bytes left = readFile(output);
  ASSERT_GE(left.size(), 78u);
  EXPECT_EQ(hexOf({left[76], left[77]}), "00 01") << "records in the database left behind";
  EXPECT_FALSE(fileExists(current + "\\tempdoc1.$$$")) << "the build file is deleted";

  // Closed through its title bar, the preview ends the program.
  ASSERT_NE(convert({kSourceBlankDoc, empty, "Kept Name", false, true, true, true}), nullptr);
  HWND preview = awaitDialog(maker, kPreviewTitle);
  ASSERT_NE(preview, nullptr);
  closeWindow(preview);
  EXPECT_TRUE(endedWithExitCodeZero(maker));
  EXPECT_EQ(readFile(output), left);
}

}  // namespace

}  // namespace quillet

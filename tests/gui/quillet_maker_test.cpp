// quillet-maker.exe run under Wine against a faked Palm Desktop, one run per scenario, as its
// user sees it: the scan, the -u names, whole conversions (byte for byte as quillet.exe's),
// the ways back to the options, the failures; and the files, registry values and exit code.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "app/resources/resource_ids.h"
#include "base/fixed_field.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using namespace testing_support;
using Texts = std::vector<std::string>;

constexpr char kPilotDesktop[] = "Software\\U.S. Robotics\\Pilot Desktop";
constexpr char kSplashTitle[] = "Quillet Maker";
constexpr char kOptionsTitle[] = "Quillet Maker - Options";
constexpr char kPreviewTitle[] = "Quillet Maker - Document Preview";
constexpr char kUserSelectTitle[] = "Quillet Maker - Install to User...";
constexpr char kCompleteTitle[] = "Quillet Maker - Conversion Complete";
constexpr char kSaveDocTitle[] = "Choose Output Palm Doc File";

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
  friend void PrintTo(const ShownOptions& shown, std::ostream* out) {
    *out << shown.sourceType << " \"" << shown.sourcePath << "\" \"" << shown.palmName
         << "\" preview " << shown.showPreview << " strip " << shown.stripLineBreaks << " save "
         << shown.saveToFile << " public " << shown.publicFormat;
  }
};

// The check boxes: the options they show, and the fields the program keeps them in.
constexpr std::tuple<int, bool ShownOptions::*, unsigned char AppOptions::*> kCheckBoxes[] = {
    {IDC_SHOW_PREVIEW, &ShownOptions::showPreview, &AppOptions::showPreview},
    {IDC_STRIP_LINE_BREAKS, &ShownOptions::stripLineBreaks, &AppOptions::stripLineBreaks},
    {IDC_SAVE_TO_FILE, &ShownOptions::saveToFile, &AppOptions::saveToFile},
    {IDC_PUBLIC_FORMAT, &ShownOptions::publicFormat, &AppOptions::publicFormat}};

ShownOptions shownOptions(HWND options) {
  ShownOptions shown{comboBoxSelection(options, IDC_SOURCE_TYPE),
                     controlText(options, IDC_SOURCE_PATH), controlText(options, IDC_PALM_NAME)};
  for (const auto& [id, flag, field] : kCheckBoxes) shown.*flag = isChecked(options, id);
  return shown;
}

// Sets every field of the options dialog, as its user would before pressing Continue.
bool chooseOptions(HWND options, const ShownOptions& choice) {
  bool set = selectComboBoxEntry(options, IDC_SOURCE_TYPE, choice.sourceType) &&
             setControlText(options, IDC_SOURCE_PATH, choice.sourcePath) &&
             setControlText(options, IDC_PALM_NAME, choice.palmName);
  for (const auto& [id, flag, field] : kCheckBoxes) {
    set = set && setChecked(options, id, choice.*flag);
  }
  return set;
}

// The options, as an earlier run stored them.
bool preset(const ShownOptions& shown, std::string_view hotsyncName = "") {
  AppOptions options{.sourceType = shown.sourceType};
  setFieldText(options.sourcePath, shown.sourcePath);
  setFieldText(options.palmName, shown.palmName);
  for (const auto& [id, flag, field] : kCheckBoxes) options.*field = shown.*flag;
  setFieldText(options.hotsyncName, hotsyncName);
  return storeAppOptions(options) == static_cast<int>(storedOptions().size()) &&
         storeHotsyncName(options) == 0;
}

AppOptions stored() {
  AppOptions options;
  loadAppOptions(options);
  return options;
}

// HotSync Manager's install flag for a HotSync number: "" when it is not set.
std::string installFlag(int hotsyncNumber) {
  std::uint32_t type = 0;
  Bytes value;
  return queryValueAt(std::string(kPilotDesktop) + "\\HotSync Manager\\Install" +
                          std::to_string(hotsyncNumber),
                      type, value) &&
                 type == kRegDword
             ? hexOf(value)
             : "";
}
constexpr char kFlagSet[] = "01 00 00 00";

std::string makeFolder(const std::string& path) {
  std::filesystem::create_directory(path);
  return path;
}

// A HotSync user of the faked Palm Desktop.
struct FakeUser {
  const char* folder;
  const char* name;
  std::int16_t hotsyncNumber = 0;
};

class QuilletMakerTest : public testing::Test {
 protected:
  // Palm Desktop's keys and the program's options key are the real ones, in the tests' own
  // Wine prefix (CTest runs one scenario at a time): none at the start, none left after.
  // On a real Windows account that would wipe the user's own Palm Desktop settings, so the
  // scenarios run only under Wine.
  void SetUp() override {
    if (!underWine()) GTEST_SKIP() << "the scenarios replace Palm Desktop's keys: Wine only";
    removeRealKeys();
    emptyClipboard();
  }
  ~QuilletMakerTest() override {
    end();
    if (!underWine()) return;
    removeRealKeys();
    emptyClipboard();
  }
  static bool underWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }
  static void removeRealKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\U.S. Robotics");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvane Software");
  }

  // Palm Desktop's values: the Palm folder, and install conduit 1 naming `installFolder`.
  void registerPalmDesktop(const std::string& installFolder = "Install") {
    const std::string conduit = std::string(kPilotDesktop) + "\\HotSync Manager\\InstallConduit1";
    for (const auto& [path, text] :
         {std::pair{std::string(kPilotDesktop) + "\\Core\\Path", palm_.path()},
          std::pair{conduit + "\\Module", std::string("inscn20.dll")},
          std::pair{conduit + "\\Directory", installFolder}}) {
      ASSERT_EQ(writeSetting(path.c_str(), text.c_str(),
                             static_cast<std::uint32_t>(text.size() + 1), kRegSz),
                0);
    }
  }

  // Palm Desktop with these users: a folder each with its install and backup folders,
  // and their names and HotSync numbers in users.dat.
  void fakePalmDesktop(std::initializer_list<FakeUser> users) {
    Bytes usersDat = bytesOf("users");
    for (const FakeUser& user : users) {
      palm_.addFolder(user.folder, {"Install", "backup"});
      const Bytes record = usersDatRecord(user.hotsyncNumber, user.name, user.folder);
      usersDat.insert(usersDat.end(), record.begin(), record.end());
    }
    palm_.writeUsersDat(usersDat);
    registerPalmDesktop();
  }

  // A file of the scenario's own with these contents.
  template <typename Contents>
  std::string file(const char* name, const Contents& contents) const {
    const std::string path = dir_.file(name);
    writeFile(path, contents);
    return path;
  }

  std::string installed(const char* folder, const char* kind, const char* file) const {
    return palm_.pathOf(folder, kind) + "\\" + file;
  }

  // The users' names in the order the scan finds their folders.
  Texts namesInScanOrder(std::initializer_list<FakeUser> users) const {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(listDirectory(palm_.path().c_str(), entries));
    Texts names;
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
        runProgram(QUILLET_CLI_EXE,
                   "build \"" + source + "\" -o \"" + output + "\" -q --classic " + options);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const Bytes built = readFile(output);
    std::remove(output.c_str());
    EXPECT_GT(built.size(), 78u + 16u) << "quillet build made no Doc";
    return built;
  }

  // quillet-maker.exe started, in place of the one before; a scenario without it ends here.
  void start(const std::string& arguments, const std::string& program = QUILLET_MAKER_EXE) {
    end();
    maker_ = startProgram(program, arguments, {}, &makerId_);
    if (maker_ == nullptr) throw std::runtime_error(program + " did not start");
  }
  // A program still running is ended (exit code 99): a failed scenario leaves nothing.
  void end() {
    if (maker_ != nullptr && WaitForSingleObject(maker_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(maker_, 99);
      WaitForSingleObject(maker_, kPatience);
    }
    if (maker_ != nullptr) CloseHandle(maker_);
    maker_ = nullptr;
  }
  std::string onScreen() const { return testing::PrintToString(shownWindows(makerId_)); }
  // How the program ended: "exit code N", or "still running" with what it shows.
  std::string ending() const {
    DWORD exitCode = 99;
    return WaitForSingleObject(maker_, kPatience) == WAIT_OBJECT_0 &&
                   GetExitCodeProcess(maker_, &exitCode)
               ? "exit code " + std::to_string(exitCode)
               : "still running; on screen: " + onScreen();
  }

  // The program's dialog with this title, then the only window it shows (the flow takes one
  // dialog down before it puts up the next). A scenario whose dialog does not come ends here.
  HWND awaitDialog(const char* title) {
    HWND dialog = waitForWindow(makerId_, title);
    if (dialog == nullptr) {
      throw std::runtime_error("no \"" + std::string(title) + "\"; on screen: " + onScreen());
    }
    EXPECT_EQ(shownWindows(makerId_), Texts{title});
    return dialog;
  }

  // The next message box's text, answered with OK; " (with an owner)" or " (not OK only)"
  // when it is not the program's plain message box.
  std::string messageBox(const char* caption) {
    HWND box = waitForWindow(makerId_, caption);
    if (box == nullptr) return "no message box; on screen: " + onScreen();
    std::string seen = storedText(GetDlgItem(box, 0xFFFF));  // its text has no id of its own
    if (GetWindow(box, GW_OWNER) != nullptr) seen += " (with an owner)";
    for (int button : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
      if ((button == IDOK) != (IsWindowVisible(GetDlgItem(box, button)) != FALSE)) {
        seen += " (not OK only)";
      }
    }
    pressButton(box, IDOK);
    return waitForWindowGone(box) ? seen : seen + " (stays)";
  }

  // Files the program leaves in its temporary folder (one of the scenario's own).
  std::size_t temporaryFiles() const { return countEntries(temporary_); }

  HANDLE maker_ = nullptr;
  DWORD makerId_ = 0;
  TempDir dir_;
  FakePalmFolder palm_{dir_.file("Palm")};
  const std::string temporary_ = makeFolder(dir_.file("temporary"));
  ScopedTemporaryFolder temporaryFolder_{temporary_};
};

// The statuses the splash shows until "Done", each once (each stays at least 100 ms).
Texts statusesUntilDone(HWND splash) {
  Texts seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
  while (std::chrono::steady_clock::now() < deadline && (seen.empty() || seen.back() != "Done")) {
    const std::string status = storedText(GetDlgItem(splash, IDC_SCAN_STATUS));
    if (!status.empty() && (seen.empty() || seen.back() != status)) seen.push_back(status);
    Sleep(2);
  }
  return seen;
}

TEST_F(QuilletMakerTest, FindsTheUsersBehindTheSplashThenShowsTheOptionsAfterThePause) {
  palm_.addFolder("SmithA", {"Inbox"});
  palm_.addFolder("JonesB", {"backup"});
  palm_.addFolder("Graphics", {"Help"});
  // Decoys: an older record of SmithA before the one that counts, and JonesB's name
  // without its length byte in front (so JonesB is shown under the folder name).
  palm_.writeUsersDat(concat({bytesOf("Palm users file"), usersDatRecord(1, "Old Name", "SmithA"),
                              usersDatRecord(2, "Ann Smith", "SmithA"),
                              bytesOf(std::string("\0\x05"
                                                  "Bobby\x09"
                                                  "JonesB",
                                                  14))}));
  registerPalmDesktop("Inbox");

  start("");
  const Texts seen = statusesUntilDone(awaitDialog(kSplashTitle));
  EXPECT_EQ(seen.empty() ? "" : seen.back(), "Done");
  Texts expected;
  for (const std::string& name :
       namesInScanOrder({{"SmithA", "Ann Smith"}, {"JonesB", "JonesB"}})) {
    expected.push_back("Found user '" + name + "'");
  }
  expected.push_back("Done");
  EXPECT_TRUE(isSubsequence(seen, expected)) << testing::PrintToString(seen);

  // The splash stays up 2 s after "Done"; then the options dialog takes its place.
  const auto done = std::chrono::steady_clock::now();
  HWND options = awaitDialog(kOptionsTitle);
  EXPECT_GE(std::chrono::steady_clock::now() - done, std::chrono::milliseconds(1500));
  pressButton(options, IDC_SECOND_BUTTON);  // "E&xit"
  EXPECT_EQ(ending(), "exit code 0");
  EXPECT_TRUE(fileExists(palm_.pathOf("JonesB", "Inbox")));
  EXPECT_FALSE(fileExists(palm_.pathOf("Graphics", "Inbox")));
}

TEST_F(QuilletMakerTest, WithoutPalmDesktopItSaysSoAndStillFinishesTheScan) {
  start("");
  EXPECT_EQ(messageBox("Registry Error"), "Cannot locate a path to the Palm folder");
  const Texts seen = statusesUntilDone(awaitDialog(kSplashTitle));
  EXPECT_EQ(seen.empty() ? "" : seen.back(), "Done");
  // Closed through its title bar, the options dialog ends the program.
  closeWindow(awaitDialog(kOptionsTitle));
  EXPECT_EQ(ending(), "exit code 0");

  const ProgramRun users = runProgram(QUILLET_CLI_EXE, "users");
  EXPECT_EQ(users.exitCode, 1u);
  EXPECT_EQ(users.err, "Registry Error: Cannot locate a path to the Palm folder\r\n");
}

TEST_F(QuilletMakerTest, NamesOnTheCommandLineInstallAtOnceAndTheNextConversionAsksForTheUser) {
  const std::initializer_list<FakeUser> users = {
      {"SmithA", "Ann Smith", 5}, {"JonesB", "Bob", 7}, {"CarlC", "Carl", 9}};
  fakePalmDesktop(users);
  const std::string story = file("story.txt", proseText(9000));
  // The source on the command line replaces the stored one, and sets its kind.
  ShownOptions choice{kSourceHtmlFile, "C:\\elsewhere\\page.html", "Flow Book", false, true};
  ASSERT_TRUE(preset(choice));
  const Bytes expected = builtByQuillet(story, "-t text -s -n \"Flow Book\"");

  // A quoted name with a blank, a name right after -u; -U is no switch.
  start("-u \"Ann Smith\" -uBob -U Carl " + story);
  HWND options = awaitDialog(kOptionsTitle);
  choice.sourceType = kSourceTextFile;
  choice.sourcePath = story;
  EXPECT_EQ(shownOptions(options), choice);
  pressButton(options, IDC_CONTINUE);

  // No user selection: installed for the two names, then the completion dialog.
  HWND complete = awaitDialog(kCompleteTitle);
  EXPECT_EQ(storedText(GetDlgItem(complete, IDC_NONE)),
            "Conversion Complete\n\nPlease HotSync when done to transfer all installed document "
            "files to the handheld.");
  for (const char* folder : {"SmithA", "JonesB"}) {
    for (const char* kind : {"Install", "backup"}) {
      EXPECT_EQ(readFile(installed(folder, kind, "Flow_Book.pdb")), expected) << folder << kind;
    }
  }
  EXPECT_FALSE(fileExists(installed("CarlC", "Install", "Flow_Book.pdb")));
  EXPECT_EQ(installFlag(5), kFlagSet);
  EXPECT_EQ(installFlag(7), kFlagSet);
  EXPECT_EQ(installFlag(9), "");
  EXPECT_EQ(fieldText(stored().hotsyncName), "Bob");
  EXPECT_EQ(temporaryFiles(), 0u) << "the build file and the temporary document are deleted";

  // The names served the first install only.
  pressButton(complete, IDC_SECOND_BUTTON);  // "Convert &Another"
  pressButton(awaitDialog(kOptionsTitle), IDC_CONTINUE);
  HWND select = awaitDialog(kUserSelectTitle);
  const Texts listed = listBoxEntries(select, IDC_USER_LIST);
  EXPECT_EQ(listed, namesInScanOrder(users));
  const auto position = [&](const char* name) {
    return static_cast<int>(std::find(listed.begin(), listed.end(), name) - listed.begin());
  };
  EXPECT_EQ(listBoxSelection(select, IDC_USER_LIST), position("Bob"));
  selectListBoxEntry(select, IDC_USER_LIST, position("Carl"));
  pressButton(select, IDC_CONTINUE);

  complete = awaitDialog(kCompleteTitle);
  EXPECT_EQ(readFile(installed("CarlC", "Install", "Flow_Book.pdb")), expected);
  EXPECT_EQ(readFile(installed("CarlC", "backup", "Flow_Book.pdb")), expected);
  EXPECT_EQ(installFlag(9), kFlagSet);
  EXPECT_EQ(fieldText(stored().hotsyncName), "Carl");
  EXPECT_EQ(temporaryFiles(), 0u);
  closeWindow(complete);
  EXPECT_EQ(ending(), "exit code 0");
}

// A command line naming one user who does not exist: the install is tried at once, for
// nobody, and the program ends. A "-u" at the very end is one empty name; a program path
// holding " -u" yields the rest of its word, Ann\quillet-maker.exe" : not Ann.
TEST_F(QuilletMakerTest, AMinusUAtTheEndOrInTheProgramsPathNamesNobody) {
  fakePalmDesktop({{"SmithA", "Ann", 1}});
  const std::string story = file("story.txt", proseText(500));
  ASSERT_TRUE(preset({kSourceTextFile, story, "Lone"}, "Ann"));
  const std::string copy = makeFolder(dir_.file("Tools -uAnn")) + "\\quillet-maker.exe";
  ASSERT_TRUE(CopyFileA(fullPath(QUILLET_MAKER_EXE).c_str(), copy.c_str(), FALSE));

  for (const auto& [program, arguments] :
       {std::pair<std::string, std::string>{QUILLET_MAKER_EXE, "-u"}, {copy, ""}}) {
    SCOPED_TRACE(program + " " + arguments);
    start(arguments, program);
    pressButton(awaitDialog(kOptionsTitle), IDC_CONTINUE);
    // Had the user selection been shown, it would still be waiting for an answer.
    EXPECT_EQ(messageBox("Install Error"), "No valid users selected");
    EXPECT_EQ(ending(), "exit code 0");
    EXPECT_EQ(countEntries(palm_.pathOf("SmithA", "Install")), 0u);
    EXPECT_EQ(countEntries(palm_.pathOf("SmithA", "backup")), 0u);
    EXPECT_EQ(installFlag(1), "");
    EXPECT_EQ(fieldText(stored().hotsyncName), "Ann");
    EXPECT_EQ(temporaryFiles(), 0u);
  }
}

TEST_F(QuilletMakerTest, SavingToAFileNeedsNoHotSyncUserAndANewBlankDocIsAlwaysPreviewed) {
  fakePalmDesktop({});  // Palm Desktop without a single user
  const std::string saved = fullPath(dir_.file("saved book.pdb"));
  ASSERT_TRUE(preset({kSourceBlankDoc, "", "Blank Page", false, false, true, true}));

  start("");
  pressButton(awaitDialog(kOptionsTitle), IDC_CONTINUE);
  ASSERT_TRUE(answerFileDialog(makerId_, kSaveDocTitle, saved));
  HWND preview = awaitDialog(kPreviewTitle);
  EXPECT_EQ(controlText(preview, IDC_PREVIEW_TEXT), "\r\n");
  ASSERT_TRUE(setControlText(preview, IDC_PREVIEW_TEXT, "Typed in the preview.\r\nSecond line."));
  pressButton(preview, IDC_CONTINUE);

  HWND complete = awaitDialog(kCompleteTitle);
  EXPECT_EQ(storedText(GetDlgItem(complete, IDC_NONE)),
            "Conversion Complete\n\nThe converted document has been written to the specified "
            "file.");
  const std::string typed = file("typed.txt", "Typed in the preview.\nSecond line.");
  EXPECT_EQ(readFile(saved), builtByQuillet(typed, "-t text -n \"Blank Page\" --public"));

  // Installing needs a user: there is none, and the program says so twice and ends.
  pressButton(complete, IDC_SECOND_BUTTON);  // "Convert &Another"
  HWND options = awaitDialog(kOptionsTitle);
  const std::string page =
      file("page.html", "<html><body><h1>Title</h1><p>Some text.</p></body></html>");
  ASSERT_TRUE(chooseOptions(options, {kSourceHtmlFile, page, "Web Page"}));
  pressButton(options, IDC_CONTINUE);
  EXPECT_EQ(messageBox("Install Error"), "No valid Palm users found on this PC");
  EXPECT_EQ(messageBox("Install Error"), "No valid users selected");
  EXPECT_EQ(ending(), "exit code 0");
  EXPECT_EQ(temporaryFiles(), 0u);
}

TEST_F(QuilletMakerTest, CancelsReturnToTheOptionsWhichTakeTheClipboardAfresh) {
  fakePalmDesktop({{"SmithA", "Ann", 1}, {"JonesB", "Bob", 2}});
  ASSERT_TRUE(preset({kSourceClipboard, "", "Clipped", true, false, false}, "Bob"));
  ASSERT_TRUE(writeClipboardText("First clipboard text"));

  start("");
  HWND options = awaitDialog(kOptionsTitle);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 20 characters");
  EXPECT_EQ(comboBoxSelection(options, IDC_SOURCE_TYPE), kSourceClipboard);
  pressButton(options, IDC_CONTINUE);

  // Cancel in the preview.
  HWND preview = awaitDialog(kPreviewTitle);
  EXPECT_EQ(controlText(preview, IDC_PREVIEW_TEXT), "First clipboard text");
  ASSERT_TRUE(writeClipboardText("Second"));
  pressButton(preview, IDC_SECOND_BUTTON);
  options = awaitDialog(kOptionsTitle);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 6 characters");

  // The save dialog closed without a choice: the options were stored before it opened.
  ASSERT_TRUE(setChecked(options, IDC_SAVE_TO_FILE, true));
  pressButton(options, IDC_CONTINUE);
  ASSERT_TRUE(writeClipboardText("Third text!"));
  ASSERT_TRUE(answerFileDialog(makerId_, kSaveDocTitle, ""));
  EXPECT_TRUE(waitForWindowGone(options));  // the flow puts up a new options dialog
  options = awaitDialog(kOptionsTitle);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 11 characters");
  EXPECT_TRUE(isChecked(options, IDC_SAVE_TO_FILE));
  EXPECT_EQ(stored().saveToFile, 1);

  // Cancel in the user selection deletes the document built for the install.
  ASSERT_TRUE(setChecked(options, IDC_SAVE_TO_FILE, false));
  ASSERT_TRUE(setChecked(options, IDC_SHOW_PREVIEW, false));
  pressButton(options, IDC_CONTINUE);
  HWND select = awaitDialog(kUserSelectTitle);
  EXPECT_EQ(temporaryFiles(), 1u) << "the document built for the install";
  ASSERT_TRUE(writeClipboardText("The fourth one"));
  pressButton(select, IDC_SECOND_BUTTON);
  options = awaitDialog(kOptionsTitle);
  EXPECT_EQ(controlText(options, IDC_CLIPBOARD_STATUS), "Clipboard contains 14 characters");
  EXPECT_EQ(temporaryFiles(), 0u);
  EXPECT_EQ(countEntries(palm_.pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(countEntries(palm_.pathOf("JonesB", "Install")), 0u);
  EXPECT_EQ(fieldText(stored().hotsyncName), "Bob");

  // Closed through its title bar, the user selection ends the program and leaves the
  // document built for the install where it is.
  pressButton(options, IDC_CONTINUE);
  closeWindow(awaitDialog(kUserSelectTitle));
  EXPECT_EQ(ending(), "exit code 0");
  EXPECT_EQ(temporaryFiles(), 1u);
  EXPECT_EQ(installFlag(1), "");
  EXPECT_EQ(installFlag(2), "");
}

TEST_F(QuilletMakerTest, FailedLoadsAndBuildsReturnToTheOptionsWithTheOptionsKept) {
  fakePalmDesktop({});
  // No temporary folder, and a folder in the way of the first fallback name in the current
  // folder, which the save dialog makes the output file's: the build file cannot be
  // written until the scenario removes that folder.
  ScopedTemporaryFolder noTemporaryFolder(dir_.file("no such folder"));
  const std::string current = makeFolder(dir_.file("current"));
  const std::string blocker = makeFolder(current + "\\tempdoc1.$$$");
  const std::string output = current + "\\out.pdb";
  const std::string notDoc =
      file("not a doc.pdb", installableDatabase("Not a Doc", 0, "no TEXt type in this header"));
  const std::string empty = file("empty.txt", "");
  const std::string story = file("story.txt", proseText(2000));
  ShownOptions choice{
      kSourceTextFile, dir_.file("missing.txt"), "Kept Name", false, true, true, true};
  ASSERT_TRUE(preset(choice));

  start("");
  const auto convert = [&](int sourceType, const std::string& sourcePath) {
    HWND options = awaitDialog(kOptionsTitle);
    EXPECT_EQ(shownOptions(options), choice) << "the options chosen before the failure";
    choice.sourceType = sourceType;
    choice.sourcePath = sourcePath;
    EXPECT_TRUE(chooseOptions(options, choice));
    pressButton(options, IDC_CONTINUE);
    return answerFileDialog(makerId_, kSaveDocTitle, output);
  };
  const std::string notWritten = "Could not write document to temporary file";

  ASSERT_TRUE(convert(kSourceTextFile, choice.sourcePath));
  EXPECT_EQ(messageBox("Load Error"), "Cannot find specified source file");

  ASSERT_TRUE(convert(kSourceDocFile, notDoc));
  EXPECT_EQ(messageBox("File Import Error"),
            "The selected file is not a valid Palm Doc file.\nIf a Palm document or "
            "e-book, it may be in incompatible proprietary format.");

  ASSERT_TRUE(convert(kSourceTextFile, story));
  EXPECT_EQ(messageBox("Doc Creation Error"), notWritten);
  EXPECT_FALSE(fileExists(output)) << "the build never started";

  // The build file can be written now; the builder refuses the empty text. What it wrote
  // stays: a database of record 0 only.
  std::filesystem::remove(blocker);
  ASSERT_TRUE(convert(kSourceTextFile, empty));
  EXPECT_EQ(messageBox("Doc Creation Error"), notWritten);
  const Bytes left = readFile(output);
  ASSERT_GE(left.size(), 78u);
  EXPECT_EQ(hexOf({left[76], left[77]}), "00 01") << "records in the database left behind";
  EXPECT_FALSE(fileExists(blocker)) << "the build file is deleted";

  // Closed through its title bar, the preview ends the program.
  ASSERT_TRUE(convert(kSourceBlankDoc, empty));
  closeWindow(awaitDialog(kPreviewTitle));
  EXPECT_EQ(ending(), "exit code 0");
  EXPECT_EQ(readFile(output), left);
}

}  // namespace

}  // namespace quillet

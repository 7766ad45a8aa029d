// The program's dialogs opened in the test's own process from its templates, with a
// settings key of the test's own, the real clipboard and real files. The test's thread
// plays the main flow's wait; scripts on another thread answer the common file dialogs.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/app_context.h"
#include "app/install_step.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/install_run_win32.h"
#include "app/win32/message_loop.h"
#include "platform/clipboard.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using namespace testing_support;

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    InitCommonControls();  // the progress bar's window class
    // A wait that nothing ends would hang the suite: after a while a timer ends it.
    watchdogFired_ = false;
    watchdog_ = SetTimer(nullptr, 0, 20000, [](HWND, UINT, UINT_PTR, DWORD) {
      watchdogFired_ = true;
      PostQuitMessage(98);
    });
    context_.settingsKey = registry_.path("Corvane Software\\Quillet\\v1.0");
    context_.commandLine = "gui_tests.exe";
    emptyClipboard();
  }

  void TearDown() override {
    KillTimer(nullptr, watchdog_);
    open(0);
    pumpWaiting();
    emptyClipboard();
    EXPECT_FALSE(watchdogFired_) << "a wait was ended by the watchdog";
  }

  // The dialog of a template as the current one, in place of the one before (0: none).
  HWND open(int templateId) {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    dialog_ = templateId != 0 ? openProgramDialog(launch_, context_, templateId) : nullptr;
    context_.flow.currentDialog = dialog_;
    return dialog_;
  }

  // Handles what is waiting as the main flow's wait would; true when the program was to end.
  bool pumpWaiting() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      quit = quit || message.message == WM_QUIT;
      if (dialog_ == nullptr || !IsDialogMessageA(dialog_, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    return quit;
  }

  // The main flow's wait, and its clearing of the requests afterwards.
  WaitOutcome wait() { return waitForRequest(context_.flow); }
  void clearRequests() { context_.flow.advanceRequest = context_.flow.cancelRequest = 0; }
  bool noRequest() const {
    return context_.flow.advanceRequest == 0 && context_.flow.cancelRequest == 0;
  }

  std::string text(int controlId) const { return controlText(dialog_, controlId); }
  DWORD style(int controlId) const {
    return static_cast<DWORD>(GetWindowLongA(GetDlgItem(dialog_, controlId), GWL_STYLE));
  }

  // Runs `act` on the test's thread, which then runs the modal file dialog it opens, while
  // `script` answers that dialog from another; what the script returned.
  template <typename Script, typename Act>
  static bool answering(Script script, Act act) {
    bool answered = false;
    {
      std::jthread user([&] { answered = script(); });
      act();
    }
    return answered;
  }
  // A click handled at once, not posted: the file dialog it opens runs on the test's thread.
  void click(int controlId) const {
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, controlId)));
  }

  AppOptions stored() const {
    AppOptions read;
    loadAppOptions(read, context_.settingsKey.c_str());
    return read;
  }
  void addUsers(std::initializer_list<const char*> names) {
    PalmUserList& users = context_.users;
    for (const char* name : names) setFieldText(users.entries[users.userCount++].userName, name);
  }

  ScopedTestRegistry registry_;
  TempDir dir_;
  const Win32Launch launch_{GetModuleHandleA(nullptr), SW_SHOWNORMAL};
  AppContext context_;
  HWND dialog_ = nullptr;

 private:
  inline static bool watchdogFired_ = false;
  UINT_PTR watchdog_ = 0;
};

using OptionsDialogTest = DialogTest;
using InstallDialogsTest = DialogTest;

// Every dialog has its title, the program's icons and no owner, and is shown with the
// program's show command. Escape and the command it becomes do nothing, Enter presses the
// default button unless the focus takes it, and the title bar's close ends the program.
TEST_F(DialogTest, EveryDialogIgnoresEscapeTakesEnterAsTheDefaultButtonAndQuitsWhenClosed) {
  addUsers({"Ann"});
  struct Expected {
    int templateId;
    const char* title;
    int focus;                         // the control the keys are pressed in; 0: any
    std::optional<WaitOutcome> enter;  // nothing: Enter does nothing
  };
  const Expected dialogs[] = {
      {IDD_SCAN_SPLASH, "Quillet Maker", 0, std::nullopt},
      {IDD_USER_SELECT, "Quillet Maker - Install to User...", 0, WaitOutcome::kMoveOn},
      {IDD_INSTALL_PROGRESS, "Quillet Maker - Installing Files...", 0, std::nullopt},
      {IDD_COMPLETE_INSTALLED, "Quillet Maker - Conversion Complete", 0, WaitOutcome::kQuit},
      {IDD_COMPLETE_SAVED, "Quillet Maker - Conversion Complete", 0, WaitOutcome::kQuit},
      {IDD_OPTIONS, "Quillet Maker - Options", IDC_PALM_NAME, WaitOutcome::kMoveOn},
      // A many-line field takes Enter, and must not take Escape as closing the dialog.
      {IDD_PREVIEW, "Quillet Maker - Document Preview", IDC_PREVIEW_TEXT, std::nullopt},
  };
  for (const Expected& expected : dialogs) {
    SCOPED_TRACE(expected.title);
    HWND hidden = createProgramDialog(launch_, context_, expected.templateId);
    EXPECT_FALSE(IsWindowVisible(hidden)) << "shown with the program's show command only";
    DestroyWindow(hidden);
    HWND dialog = open(expected.templateId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(storedText(dialog), expected.title);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    if (expected.focus != 0) SetFocus(GetDlgItem(dialog, expected.focus));
    pressKey(dialog, VK_ESCAPE);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (!expected.enter) pressKey(dialog, VK_RETURN);
    EXPECT_FALSE(pumpWaiting()) << "Escape must not end the program";
    EXPECT_TRUE(noRequest());
    if (expected.enter) {
      pressKey(dialog, VK_RETURN);
      EXPECT_EQ(wait(), *expected.enter);
      clearRequests();
    }
    closeWindow(dialog);
    EXPECT_EQ(wait(), WaitOutcome::kQuit);
    EXPECT_TRUE(noRequest());
  }
}

// The splash shows its picture; the options' kinds are a list, not a field to type in, and
// their buttons sit below the "Advanced Options" group inside the dialog (in dialog units).
TEST_F(DialogTest, TheSplashShowsItsPictureAndTheOptionsButtonsSitBelowTheGroup) {
  ASSERT_NE(open(IDD_SCAN_SPLASH), nullptr);
  BITMAP picture{};
  GetObjectA(reinterpret_cast<HBITMAP>(
                 SendMessageA(GetWindow(dialog_, GW_CHILD), STM_GETIMAGE, IMAGE_BITMAP, 0)),
             sizeof picture, &picture);
  EXPECT_EQ(picture.bmWidth, 348);
  EXPECT_EQ(picture.bmHeight, 85);

  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(style(IDC_SOURCE_TYPE) & 0x03, static_cast<DWORD>(CBS_DROPDOWNLIST));
  EXPECT_EQ(style(IDC_SOURCE_TYPE) & CBS_SORT, 0u) << "the position is the kind";
  RECT base{0, 0, 4, 8};
  MapDialogRect(dialog_, &base);
  const auto units = [&](LONG pixels) { return MulDiv(pixels, 8, base.bottom); };
  const auto place = [&](HWND control) {
    RECT pixels;
    GetWindowRect(control, &pixels);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&pixels), 2);
    return pixels;
  };
  int groupBottom = 0;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_STYLE) & 0x0F) == BS_GROUPBOX) {
      groupBottom = units(place(child).bottom);
    }
  }
  EXPECT_EQ(groupBottom, 145);
  RECT client;
  GetClientRect(dialog_, &client);
  for (int id : {IDC_CONTINUE, IDC_SECOND_BUTTON}) {
    const RECT button = place(GetDlgItem(dialog_, id));
    EXPECT_GT(units(button.top), groupBottom) << id;
    EXPECT_LE(units(button.bottom), units(client.bottom) - 7) << id;
  }
}

TEST_F(OptionsDialogTest, OpensWithTheStoredOptionsAndTheClipboardsTextAndExitStoresNothing) {
  const std::vector<std::string> kFileEntries{" New Blank Doc", " Text File", " HTML File",
                                              " Quillet Doc"};
  const auto entries = [&] {
    std::vector<std::string> listed;
    for (WPARAM i = 0; i < static_cast<WPARAM>(sendTo(dialog_, IDC_SOURCE_TYPE, CB_GETCOUNT));
         ++i) {
      char entry[256] = {};
      sendTo(dialog_, IDC_SOURCE_TYPE, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      listed.emplace_back(entry);
    }
    return listed;
  };
  AppOptions earlier{
      .showPreview = 0, .saveToFile = 1, .publicFormat = 1, .sourceType = kSourceClipboard};
  setFieldText(earlier.palmName, "Stored Book");
  setFieldText(earlier.sourcePath, "C:\\books\\stored.txt");
  storeAppOptions(earlier, context_.settingsKey.c_str());

  // Twelve characters, two of them CRs.
  ASSERT_TRUE(writeClipboardText("ab\r\ncd\r\nefgh"));
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_CLIPBOARD_STATUS), "Clipboard contains 10 characters");
  std::vector<std::string> withClipboard = kFileEntries;
  withClipboard.push_back(" Text Clipboard");
  EXPECT_EQ(entries(), withClipboard);
  EXPECT_EQ(comboBoxSelection(dialog_, IDC_SOURCE_TYPE), kSourceClipboard);
  EXPECT_EQ(context_.text.view(), "ab\ncd\nefgh");
  EXPECT_EQ(text(IDC_SOURCE_PATH), "C:\\books\\stored.txt");
  EXPECT_EQ(text(IDC_PALM_NAME), "Stored Book");
  EXPECT_FALSE(isChecked(dialog_, IDC_SHOW_PREVIEW));
  EXPECT_FALSE(isChecked(dialog_, IDC_STRIP_LINE_BREAKS));
  EXPECT_TRUE(isChecked(dialog_, IDC_SAVE_TO_FILE));
  EXPECT_TRUE(isChecked(dialog_, IDC_PUBLIC_FORMAT));

  // The next opening starts from the store again; now the clipboard is empty.
  emptyClipboard();
  context_.options = AppOptions{};
  releaseWorkText(context_.text);
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_CLIPBOARD_STATUS), "The system clipboard is empty");
  EXPECT_EQ(entries(), kFileEntries);
  EXPECT_EQ(comboBoxSelection(dialog_, IDC_SOURCE_TYPE), kSourceTextFile);
  EXPECT_FALSE(context_.text.hasText());

  pressButton(dialog_, IDC_SECOND_BUTTON);  // "E&xit"
  EXPECT_EQ(wait(), WaitOutcome::kQuit);
  EXPECT_TRUE(noRequest());
  EXPECT_EQ(stored().sourceType, kSourceClipboard) << "nothing was stored";
}

TEST_F(OptionsDialogTest, SavingToAFileAsksForTheOutputAndNoChoiceStartsOver) {
  const std::string existing = fullPath(dir_.file("existing.pdb"));
  writeFile(existing, "old database");
  const std::string bare = fullPath(dir_.file("new book"));
  struct Case {
    std::string answer;  // "": Cancel
    WaitOutcome outcome;
    std::string output;
  };
  // An existing file is taken without a question: a question would keep the dialog up. A
  // name without an ending gets ".pdb".
  for (const Case& test :
       {Case{existing, WaitOutcome::kMoveOn, existing},
        Case{bare, WaitOutcome::kMoveOn, bare + ".pdb"}, Case{"", WaitOutcome::kStartOver, ""}}) {
    SCOPED_TRACE(test.answer);
    clearRequests();
    ASSERT_NE(open(IDD_OPTIONS), nullptr);
    setChecked(dialog_, IDC_SAVE_TO_FILE, true);
    WaitOutcome outcome{};
    EXPECT_TRUE(answering(
        [&] {
          return answerFileDialog(GetCurrentProcessId(), "Choose Output Palm Doc File",
                                  test.answer);
        },
        [&] {
          pressButton(dialog_, IDC_CONTINUE);
          outcome = wait();
        }));
    EXPECT_EQ(outcome, test.outcome);
    EXPECT_EQ(fieldText(context_.options.outputPath), test.output);
    EXPECT_EQ(context_.flow.advanceRequest, 1);  // raised before the question
    EXPECT_EQ(stored().saveToFile, 1);
  }
}

// "..." opens the file dialog at the source path, with the filter of the kind selected in
// the list; the file chosen then sets the kind the options hold, not the list's.
TEST_F(OptionsDialogTest, BrowsingSetsTheKindFromTheOptionsNotTheList) {
  const std::string odd = fullPath(dir_.file("story.xyz"));
  const std::string page = fullPath(dir_.file("page.htm"));
  writeFile(odd, "text");
  writeFile(page, "<p>page</p>");
  struct Case {
    int storedType, listed;  // listed: the kind selected in the list before; -1: the stored
    std::string chosen;
    int filterIndex, sourceType;
  };
  for (const Case& test : {// A blank document becomes a text file for a file of unknown kind.
                           Case{kSourceBlankDoc, -1, odd, 1, kSourceTextFile},
                           // HTML stays for it, even with the Palm files' filter.
                           Case{kSourceHtmlFile, kSourceDocFile, odd, 3, kSourceHtmlFile},
                           // A known ending decides.
                           Case{kSourceHtmlFile, -1, page, 2, kSourceHtmlFile}}) {
    SCOPED_TRACE(test.chosen);
    AppOptions earlier{.sourceType = test.storedType};
    setFieldText(earlier.sourcePath, page);
    storeAppOptions(earlier, context_.settingsKey.c_str());
    ASSERT_NE(open(IDD_OPTIONS), nullptr);
    if (test.listed >= 0) selectComboBoxEntry(dialog_, IDC_SOURCE_TYPE, test.listed);
    std::string shownName;
    int filterIndex = 0;
    EXPECT_TRUE(answering(
        [&] {
          HWND open = waitForWindow(GetCurrentProcessId(), "Select source file");
          shownName = controlText(open, 0x47c);              // the file name box
          filterIndex = 1 + comboBoxSelection(open, 0x470);  // the file type list
          return answerFileDialog(GetCurrentProcessId(), "Select source file", test.chosen);
        },
        [&] { click(IDC_BROWSE); }));
    EXPECT_EQ(shownName, "page.htm");
    EXPECT_EQ(filterIndex, test.filterIndex);
    EXPECT_EQ(text(IDC_SOURCE_PATH), test.chosen);
    EXPECT_EQ(comboBoxSelection(dialog_, IDC_SOURCE_TYPE), test.sourceType);
    EXPECT_TRUE(noRequest());
  }
}

class PreviewDialogTest : public DialogTest {
 protected:
  HWND openWith(const std::string& bytes) {
    EXPECT_TRUE(assignWorkText(context_.text, bytes));
    return open(IDD_PREVIEW);
  }
  HWND field() const { return GetDlgItem(dialog_, IDC_PREVIEW_TEXT); }
  // A character typed at the end of the text.
  void typeAtEnd(char c) {
    SendMessageA(field(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(field(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
  }
  // "Save to File..." with the save dialog answered: a path, or "" for Cancel.
  bool saveTo(const std::string& path) {
    return answering(
        [&] { return answerFileDialog(GetCurrentProcessId(), "Choose Output Text File", path); },
        [&] { click(IDC_SAVE_TEXT); });
  }
};

// Lines of CR LF text, exactly `length` bytes long.
std::string crLfText(std::size_t length) {
  std::string text;
  while (text.size() < length) text += (text.size() % 70 == 68) ? "\r\n" : "w";
  text.resize(length);
  return text;
}

TEST_F(PreviewDialogTest, ATextBelowTheLimitIsEditedAndSavedWithItsEdits) {
  const std::string original = crLfText(29999);
  ASSERT_NE(openWith(original), nullptr);
  EXPECT_EQ(text(IDC_PREVIEW_EXPLANATION),
            "Full editable text appears below.\n(Formatting approximates layout on Palm)");
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), original);
  EXPECT_EQ(style(IDC_PREVIEW_TEXT) & ES_READONLY, 0u);
  // Room to type beyond the edit control's usual limit.
  typeAtEnd('!');
  typeAtEnd('\r');
  typeAtEnd('?');
  const std::string edited = original + "!\r\n?";
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), edited);

  EXPECT_TRUE(saveTo(""));
  EXPECT_TRUE(IsWindowVisible(dialog_)) << "no choice: the preview stays";
  const std::string path = fullPath(dir_.file("edited"));
  ASSERT_TRUE(saveTo(path));
  EXPECT_EQ(readFile(path + ".txt"), bytesOf(edited));
  EXPECT_EQ(context_.text.view(), original) << "only Continue takes the edits";
  EXPECT_TRUE(noRequest());

  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.text.view(), edited);
  EXPECT_EQ(context_.text.length, 30003);
}

TEST_F(PreviewDialogTest, FromTheLimitOnTheBeginningIsShownReadOnlyAndTheWholeTextGoesOn) {
  const std::string original = crLfText(30000) + "the rest\r\n";
  ASSERT_NE(openWith(original), nullptr);
  EXPECT_EQ(text(IDC_PREVIEW_EXPLANATION),
            "A preview of the first 30k of the document appears below.\n"
            "(Formatting approximates layout on Palm)\n"
            "The full document will be made but is too big to be shown or edited here.\n");
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), original.substr(0, 30000));
  EXPECT_NE(style(IDC_PREVIEW_TEXT) & ES_READONLY, 0u);
  typeAtEnd('x');
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), original.substr(0, 30000));

  const std::string path = fullPath(dir_.file("whole.txt"));
  ASSERT_TRUE(saveTo(path));
  EXPECT_EQ(readFile(path), bytesOf(original));

  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.text.view(), original);
}

TEST_F(PreviewDialogTest, AnEmptiedTextGoesOnAsAnEmptyText) {
  ASSERT_NE(openWith("\r\n"), nullptr);
  SetWindowTextA(field(), "");
  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  ASSERT_TRUE(context_.text.hasText());
  EXPECT_EQ(context_.text.length, 0);
}

TEST_F(InstallDialogsTest, UserSelectionListsTheScanOrderAndContinuesWithTheSelection) {
  addUsers({"Zed", "Amy", "Bob", "Amy"});
  setFieldText(context_.options.hotsyncName, "Amy");
  ASSERT_NE(open(IDD_USER_SELECT), nullptr);
  // The list box's sorted style does not reorder users inserted at their positions.
  EXPECT_EQ(listBoxEntries(dialog_, IDC_USER_LIST),
            (std::vector<std::string>{"Zed", "Amy", "Bob", "Amy"}));
  EXPECT_EQ(listBoxSelection(dialog_, IDC_USER_LIST), 3);  // the later of two Amys

  // Continue takes the selection; only the low 16 bits of a command name the control.
  selectListBoxEntry(dialog_, IDC_USER_LIST, 0);
  PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_CONTINUE, 0x7A5C), 0);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.flow.selectedUser, 0);
  EXPECT_EQ(context_.flow.advanceRequest, 1);
  EXPECT_EQ(context_.flow.cancelRequest, 0);
}

TEST_F(InstallDialogsTest, TheRunShowsEachCopyInTheProgressDialogAndFillsTheBarForTheFirstUser) {
  FakePalmFolder palm(dir_.file("Palm"));
  PalmUserList& users = context_.users;
  setFieldText(users.palmFolder, palm.path());
  const std::pair<const char*, const char*> people[] = {{"Ann Smith", "SmithA"}, {"Bob", "JonesB"}};
  for (const auto& [name, folder] : people) {
    palm.addFolder(folder, {"Install", "backup"});
    PalmUser& user = users.entries[users.userCount++];
    setFieldText(user.userName, name);
    setFieldText(user.installPath, palm.pathOf(folder, "Install"));
    setFieldText(user.backupPath, palm.pathOf(folder, "backup"));
  }
  const std::string built = dir_.file("tempdoc2.$$$");
  writeFile(built, installableDatabase("Doc One", 0));
  writeFile(dir_.file("two.pdb"), installableDatabase("Doc Two", 0x0001));
  FlowState& flow = context_.flow;
  ASSERT_TRUE(addInstallFile(flow, built));
  ASSERT_TRUE(addInstallFile(flow, dir_.file("two.pdb")));
  ASSERT_TRUE(addCommandLineUser(flow, "ann smith"));
  ASSERT_TRUE(addCommandLineUser(flow, "BOB"));
  setFieldText(context_.options.outputPath, built);
  InstallRequest request = installRequestFor(flow, context_.options);
  const std::string pilotDesktop = registry_.path("U.S. Robotics\\Pilot Desktop");
  request.keys.pilotDesktop = pilotDesktop.c_str();

  // The statuses as someone watching the dialog sees them.
  const char* const title = "Quillet Maker - Installing Files...";
  std::atomic<bool> finished = false;
  std::vector<std::string> seen, told;
  InstallReport report;
  {
    std::jthread watcher([&] {
      HWND dialog = waitForWindow(GetCurrentProcessId(), title);
      for (bool last = dialog == nullptr; !last; Sleep(2)) {
        last = finished;  // one more look once the run has ended
        const std::string status = storedText(GetDlgItem(dialog, IDC_INSTALL_STATUS));
        if (seen.empty() || seen.back() != status) seen.push_back(status);
      }
    });
    report = installWithProgressDialog(launch_, context_, request);
    applyInstallReport(flow, report,
                       [&](std::string_view, std::string_view text) { told.emplace_back(text); });
    finished = true;
  }
  EXPECT_EQ(report.matchedNames, 2);
  EXPECT_TRUE(told.empty());
  std::vector<std::string> expected;
  for (const auto& [user, folder] : people) {
    for (const auto& [name, file] :
         {std::pair{"Doc One", "Doc_One.pdb"}, {"Doc Two", "Doc_Two.prc"}}) {
      expected.push_back("Installing '" + std::string(name) + "' to user '" + user + "'\n\n(" +
                         palm.pathOf(folder, "Install") + "\\" + file + ")...");
    }
  }
  expected.push_back("Done");
  EXPECT_TRUE(isSubsequence(expected, seen)) << testing::PrintToString(seen);

  dialog_ = static_cast<HWND>(flow.currentDialog);  // destroyed at the end
  ASSERT_NE(dialog_, nullptr);
  EXPECT_EQ(storedText(dialog_), title);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(GetWindow(dialog_, GW_OWNER), nullptr);
  EXPECT_EQ(storedText(GetDlgItem(dialog_, IDC_INSTALL_STATUS)), "Done");
  // Range 0 to 4 (two documents), full: eight steps do not widen it.
  PBRANGE range{};
  sendTo(dialog_, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 4);
  EXPECT_EQ(sendTo(dialog_, IDC_PROGRESS_BAR, PBM_GETPOS), 4);

  EXPECT_EQ(readFile(palm.pathOf("JonesB", "backup") + "\\Doc_Two.prc"),
            installableDatabase("Doc Two", 0x0001));
  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(flow.advanceRequest, 1);
  EXPECT_EQ(flow.selectedUser, 1);
  EXPECT_EQ(fieldText(context_.options.hotsyncName), "Bob");
}

}  // namespace

}  // namespace quillet

// The options dialog opened in the test's own process from the program's template, with
// the real clipboard, real files and the common file dialogs answered by a script.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "hotsync/palm_user_list.h"
#include "tests/gui/dialog_fixture.h"
#include "tests/gui/dialog_template.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using testing_support::TempDir;

using Entries = std::vector<std::string>;
const Entries kFileEntries{" New Blank Doc", " Text File", " HTML File", " Quillet Doc"};

constexpr char kSaveTitle[] = "Choose Output Palm Doc File";
constexpr char kOpenTitle[] = "Select source file";

class OptionsDialogTest : public ProgramDialogTest {
 protected:
  // The options as an earlier run stored them.
  void storeOptions(const AppOptions& options) {
    storeAppOptions(options, context_.settingsKey.c_str());
  }

  AppOptions stored() const {
    AppOptions read;
    loadAppOptions(read, context_.settingsKey.c_str());
    return read;
  }

  // Continue, with a script answering the save dialog it opens; the requests are cleared
  // first, as the main flow does before it shows the dialog again.
  WaitOutcome continueAnswering(const std::function<bool()>& answer) {
    clearRequests();
    bool answered = false;
    WaitOutcome outcome;
    {
      ScriptThread user([&] { answered = answer(); });
      pressButton(dialog_, IDC_CONTINUE);
      outcome = wait();
    }
    EXPECT_TRUE(answered);
    return outcome;
  }

  bool checked(int controlId) const {
    return IsDlgButtonChecked(dialog_, controlId) == BST_CHECKED;
  }
};

TEST_F(OptionsDialogTest, OpensWithTheStoredOptionsAndTheClipboardsText) {
  AppOptions earlier;
  earlier.showPreview = 0;
  earlier.saveToFile = 1;
  earlier.publicFormat = 1;
  setFieldText(earlier.palmName, "Stored Book");
  setFieldText(earlier.sourcePath, "C:\\books\\stored.txt");
  earlier.sourceType = kSourceClipboard;
  storeOptions(earlier);

  // Twelve characters, two of them CRs.
  ASSERT_TRUE(writeClipboardText("ab\r\ncd\r\nefgh"));
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_CLIPBOARD_STATUS), "Clipboard contains 10 characters");
  Entries withClipboard = kFileEntries;
  withClipboard.push_back(" Text Clipboard");
  EXPECT_EQ(comboEntries(IDC_SOURCE_TYPE), withClipboard);
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceClipboard);
  EXPECT_EQ(context_.text.view(), "ab\ncd\nefgh");
  EXPECT_EQ(text(IDC_SOURCE_PATH), "C:\\books\\stored.txt");
  EXPECT_EQ(text(IDC_PALM_NAME), "Stored Book");
  EXPECT_FALSE(checked(IDC_SHOW_PREVIEW));
  EXPECT_FALSE(checked(IDC_STRIP_LINE_BREAKS));
  EXPECT_TRUE(checked(IDC_SAVE_TO_FILE));
  EXPECT_TRUE(checked(IDC_PUBLIC_FORMAT));

  // The next opening starts from the store again; now the clipboard is empty.
  emptyClipboard();
  context_.options = AppOptions{};
  releaseWorkText(context_.text);
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_CLIPBOARD_STATUS), "The system clipboard is empty");
  EXPECT_EQ(comboEntries(IDC_SOURCE_TYPE), kFileEntries);
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceTextFile);
  EXPECT_FALSE(context_.text.hasText());
}

TEST_F(OptionsDialogTest, AReadableFileAtTheEndOfTheCommandLineIsTheSource) {
  TempDir dir;
  const std::string page = fullPath(dir.file("Chapter.HTML"));
  testing_support::writeFile(page, "<p>one</p>");
  AppOptions earlier;
  earlier.sourceType = kSourceDocFile;
  setFieldText(earlier.sourcePath, "C:\\stored.pdb");
  storeOptions(earlier);

  context_.commandLine = "\"C:\\Program Files\\quillet-maker.exe\" -u Ann " + page;
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_SOURCE_PATH), page);
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceHtmlFile);

  context_.commandLine = "quillet-maker.exe " + page + ".missing";
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_SOURCE_PATH), "C:\\stored.pdb");
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceDocFile);
}

TEST_F(OptionsDialogTest, ContinueStoresTheChoicesAndNamesAnUnnamedDocument) {
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_TRUE(checked(IDC_SHOW_PREVIEW));  // the options a first run starts with
  SetDlgItemTextA(dialog_, IDC_SOURCE_PATH, "C:\\books\\a book.txt");
  SendDlgItemMessageA(dialog_, IDC_SOURCE_TYPE, CB_SETCURSEL, kSourceBlankDoc, 0);
  CheckDlgButton(dialog_, IDC_SHOW_PREVIEW, BST_UNCHECKED);
  CheckDlgButton(dialog_, IDC_STRIP_LINE_BREAKS, BST_CHECKED);
  pressKey(dialog_, VK_RETURN);  // Continue is the default button
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.flow.advanceRequest, 1);

  AppOptions read = stored();
  EXPECT_EQ(fieldText(read.palmName), "New Doc 0041");
  EXPECT_EQ(fieldText(read.sourcePath), "C:\\books\\a book.txt");
  EXPECT_EQ(read.sourceType, kSourceBlankDoc);
  EXPECT_EQ(read.showPreview, 0);
  EXPECT_EQ(read.stripLineBreaks, 1);
  EXPECT_EQ(read.saveToFile, 0);

  // The next conversion of the run: a name of 40 characters is cut to 32.
  clearRequests();
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(IDC_PALM_NAME), "New Doc 0041");
  SetDlgItemTextA(dialog_, IDC_PALM_NAME, "A Very Long Title Of Forty Chars, Really");
  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(fieldText(stored().palmName), "A Very Long Title Of Forty Chars");
  EXPECT_EQ(fieldText(context_.options.palmName), "A Very Long Title Of Forty Chars");
}

TEST_F(OptionsDialogTest, SavingToAFileAsksForTheOutputAndNoChoiceStartsOver) {
  TempDir dir;
  const std::string existing = fullPath(dir.file("existing.pdb"));
  testing_support::writeFile(existing, "old database");
  const DWORD self = GetCurrentProcessId();
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  CheckDlgButton(dialog_, IDC_SAVE_TO_FILE, BST_CHECKED);
  // An existing file is taken without a question: a question would keep the dialog up.
  EXPECT_EQ(continueAnswering([&] { return answerFileDialog(self, kSaveTitle, existing); }),
            WaitOutcome::kMoveOn);
  EXPECT_EQ(fieldText(context_.options.outputPath), existing);
  EXPECT_EQ(stored().saveToFile, 1);

  // A name without an ending gets ".pdb".
  const std::string bare = fullPath(dir.file("new book"));
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(continueAnswering([&] { return answerFileDialog(self, kSaveTitle, bare); }),
            WaitOutcome::kMoveOn);
  EXPECT_EQ(fieldText(context_.options.outputPath), bare + ".pdb");

  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  EXPECT_EQ(continueAnswering([&] { return cancelFileDialog(self, kSaveTitle); }),
            WaitOutcome::kStartOver);
  EXPECT_EQ(context_.flow.advanceRequest, 1);  // raised before the question
  EXPECT_EQ(context_.options.outputPath[0], '\0');
}

TEST_F(OptionsDialogTest, ExitAndClosingEndTheProgramEscapeDoesNothing) {
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  pressButton(dialog_, IDC_SECOND_BUTTON);
  EXPECT_EQ(wait(), WaitOutcome::kQuit);
  closeWindow(dialog_);
  EXPECT_EQ(wait(), WaitOutcome::kQuit);
  EXPECT_EQ(context_.flow.advanceRequest, 0);
  EXPECT_EQ(context_.flow.cancelRequest, 0);
  EXPECT_EQ(stored().sourceType, kSourceTextFile) << "nothing was stored";

  // Escape, in a field or as the command it becomes, is no request: Continue is the first.
  SetFocus(GetDlgItem(dialog_, IDC_PALM_NAME));
  pressKey(dialog_, VK_ESCAPE);
  PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
}

// What the open dialog showed when the script answered it.
struct Browsed {
  bool answered = false;
  std::string initialName;
  int filterIndex = 0;
};

// The explorer-style dialog's file name box and file type list.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileTypeCombo = 0x470;

// A click on "..." handled at once on the test's thread, which runs the open dialog's
// modal loop while the script answers it.
Browsed browseTo(HWND dialog, const std::string& path) {
  Browsed seen;
  {
    ScriptThread user([&] {
      HWND open = waitForWindow(GetCurrentProcessId(), kOpenTitle);
      if (open == nullptr) return;
      seen.initialName = controlText(open, kFileNameCombo);
      seen.filterIndex =
          1 + static_cast<int>(SendDlgItemMessageA(open, kFileTypeCombo, CB_GETCURSEL, 0, 0));
      seen.answered = answerFileDialog(GetCurrentProcessId(), kOpenTitle, path);
    });
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BROWSE)));
  }  // the script has finished here
  return seen;
}

TEST_F(OptionsDialogTest, BrowsingSetsTheKindFromTheOptionsNotTheList) {
  TempDir dir;
  const std::string odd = fullPath(dir.file("story.xyz"));
  const std::string page = fullPath(dir.file("page.htm"));
  testing_support::writeFile(odd, "text");
  testing_support::writeFile(page, "<p>page</p>");

  AppOptions earlier;
  earlier.sourceType = kSourceBlankDoc;
  setFieldText(earlier.sourcePath, page);
  storeOptions(earlier);
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  // A blank document becomes a text file when a file of unknown kind is chosen.
  Browsed seen = browseTo(dialog_, odd);
  ASSERT_TRUE(seen.answered);
  EXPECT_EQ(seen.initialName, "page.htm");
  EXPECT_EQ(seen.filterIndex, 1);
  EXPECT_EQ(text(IDC_SOURCE_PATH), odd);
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceTextFile);

  // With HTML loaded, the unknown kind keeps HTML, even after the list was changed.
  earlier.sourceType = kSourceHtmlFile;
  storeOptions(earlier);
  ASSERT_NE(open(IDD_OPTIONS), nullptr);
  SendDlgItemMessageA(dialog_, IDC_SOURCE_TYPE, CB_SETCURSEL, kSourceDocFile, 0);
  seen = browseTo(dialog_, odd);
  ASSERT_TRUE(seen.answered);
  EXPECT_EQ(seen.filterIndex, 3);  // the Palm files, for the Doc selected in the list
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceHtmlFile);

  // A known ending decides.
  seen = browseTo(dialog_, page);
  ASSERT_TRUE(seen.answered);
  EXPECT_EQ(seen.filterIndex, 2);
  EXPECT_EQ(comboSelection(IDC_SOURCE_TYPE), kSourceHtmlFile);
  EXPECT_EQ(context_.flow.advanceRequest, 0);
}

// The template as the dialog code relies on it, and the height and button row chosen
// for it: the buttons below the "Advanced Options" group, inside the dialog.
TEST(OptionsDialogTemplateTest, ButtonsSitBelowTheGroupInsideTheDialog) {
  DialogTemplate options;
  ASSERT_TRUE(readDialogTemplate(GetModuleHandleA(nullptr), IDD_OPTIONS, options));
  EXPECT_EQ(options.title, "Quillet Maker - Options");
  EXPECT_EQ(options.cx, 260);
  int groupBottom = 0;
  for (const TemplateControl& control : options.controls) {
    if ((control.style & 0x0F) == BS_GROUPBOX && control.className == "Button") {
      groupBottom = control.y + control.cy;
    }
  }
  EXPECT_EQ(groupBottom, 145);
  for (const TemplateControl& control : options.controls) {
    if (control.id != IDC_CONTINUE && control.id != IDC_SECOND_BUTTON) continue;
    EXPECT_GT(control.y, groupBottom) << control.id;
    EXPECT_LE(control.y + control.cy, options.cy - 7) << control.id;
    EXPECT_EQ(control.style & 0x0F,
              static_cast<DWORD>(control.id == IDC_CONTINUE ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  }
  for (const TemplateControl& control : options.controls) {
    if (control.id == IDC_SOURCE_TYPE) {
      EXPECT_EQ(control.style & 0x03, static_cast<DWORD>(CBS_DROPDOWNLIST));
      EXPECT_EQ(control.style & CBS_SORT, 0u) << "the position is the kind";
    }
  }
}

}  // namespace

}  // namespace quillet

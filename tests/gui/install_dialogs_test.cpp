// The install-time dialogs, opened in the test's own process from the program's
// templates, driven by posted messages through the main flow's wait.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/install_dialogs.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/message_loop.h"
#include "tests/gui/dialog_fixture.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using testing_support::TempDir;

// The program's dialog fixture, with the progress bar's window class registered.
class InstallDialogsTest : public ProgramDialogTest {
 protected:
  void SetUp() override {
    ProgramDialogTest::SetUp();
    InitCommonControls();
  }

  void addUsers(std::initializer_list<const char*> names) {
    PalmUserList& users = context_.users;
    for (const char* name : names) setFieldText(users.entries[users.userCount++].userName, name);
  }
};

TEST_F(InstallDialogsTest, EveryDialogHasTheIconsIgnoresEscapeAndQuitsWhenClosed) {
  addUsers({"Ann"});
  for (int templateId : {IDD_SCAN_SPLASH, IDD_USER_SELECT, IDD_INSTALL_PROGRESS,
                         IDD_COMPLETE_INSTALLED, IDD_COMPLETE_SAVED}) {
    SCOPED_TRACE(templateId);
    HWND dialog = open(templateId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
    // Escape, and the command it becomes, do nothing; the title bar's close ends the
    // program.
    pressKey(dialog, VK_ESCAPE);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    closeWindow(dialog);
    EXPECT_EQ(wait(), WaitOutcome::kQuit);
    EXPECT_EQ(context_.flow.advanceRequest, 0);
    EXPECT_EQ(context_.flow.cancelRequest, 0);
  }
}

TEST_F(InstallDialogsTest, UserSelectionListsTheScanOrderAndEnterContinuesWithTheSelection) {
  addUsers({"Zed", "Amy", "Bob", "Amy"});
  setFieldText(context_.options.hotsyncName, "Amy");
  HWND dialog = open(IDD_USER_SELECT);
  ASSERT_NE(dialog, nullptr);
  // The list box's sorted style does not reorder users inserted at their positions.
  EXPECT_EQ(listBoxEntries(dialog, IDC_USER_LIST),
            (std::vector<std::string>{"Zed", "Amy", "Bob", "Amy"}));
  EXPECT_EQ(listBoxSelection(dialog, IDC_USER_LIST), 3);  // the later of two Amys

  selectListBoxEntry(dialog, IDC_USER_LIST, 2);
  pressKey(dialog, VK_RETURN);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.flow.selectedUser, 2);
  EXPECT_EQ(context_.flow.advanceRequest, 1);
  EXPECT_EQ(context_.flow.cancelRequest, 0);

  // Only the low 16 bits of a command name the control.
  clearRequests();
  selectListBoxEntry(dialog, IDC_USER_LIST, 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CONTINUE, 0x7A5C), 0);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.flow.selectedUser, 0);
}

TEST_F(InstallDialogsTest, UserSelectionCancelDeletesTheTemporaryDocumentClosingKeepsIt) {
  TempDir dir;
  const std::string document = dir.file("temporary document.pdb");
  setFieldText(context_.options.outputPath, document);
  addUsers({"Ann", "Bob"});

  testing_support::writeFile(document, "built");
  HWND dialog = open(IDD_USER_SELECT);
  ASSERT_NE(dialog, nullptr);
  pressButton(dialog, IDC_SECOND_BUTTON);
  EXPECT_EQ(wait(), WaitOutcome::kStartOver);
  EXPECT_FALSE(testing_support::fileExists(document));
  EXPECT_EQ(context_.flow.advanceRequest, 0);

  clearRequests();
  testing_support::writeFile(document, "built again");
  dialog = open(IDD_USER_SELECT);
  closeWindow(dialog);
  EXPECT_EQ(wait(), WaitOutcome::kQuit);
  EXPECT_TRUE(testing_support::fileExists(document));
  EXPECT_EQ(context_.flow.cancelRequest, 0);
}

TEST_F(InstallDialogsTest, CompletionNamesHotSyncOrTheFileAndOffersExitOrAnother) {
  struct Case {
    unsigned char saveToFile;
    const char* phrase;
  };
  for (const Case& test :
       {Case{0, "Please HotSync when done"}, Case{1, "written to the specified file"}}) {
    SCOPED_TRACE(test.phrase);
    context_.options.saveToFile = test.saveToFile;
    HWND dialog = open(conversionCompleteTemplate(context_.options));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(storedText(dialog), "Quillet Maker - Conversion Complete");
    EXPECT_NE(storedText(GetDlgItem(dialog, IDC_NONE)).find(test.phrase), std::string::npos);

    pressKey(dialog, VK_ESCAPE);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SECOND_BUTTON, 1), 0);  // Convert Another
    EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
    EXPECT_EQ(context_.flow.advanceRequest, 1);
    EXPECT_FALSE(pumpWaiting()) << "Escape must not exit";

    clearRequests();
    pressKey(dialog, VK_RETURN);  // Exit, the default button
    EXPECT_EQ(wait(), WaitOutcome::kQuit);
    EXPECT_EQ(context_.flow.advanceRequest, 0);
  }
}

}  // namespace

}  // namespace quillet

// The preview dialog opened in the test's own process from the program's template, with
// the text saved through the real save dialog.
#include <gtest/gtest.h>

#include <string>

#include "app/resources/resource_ids.h"
#include "format/doc_builder.h"
#include "source/line_breaks.h"
#include "source/source_loading.h"
#include "tests/gui/dialog_fixture.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using testing_support::readFile;
using testing_support::TempDir;

constexpr char kSaveTitle[] = "Choose Output Text File";

// Lines of CR LF text, exactly `length` bytes long.
std::string crLfText(std::size_t length) {
  std::string text;
  while (text.size() < length) text += (text.size() % 70 == 68) ? "\r\n" : "w";
  text.resize(length);
  return text;
}

class PreviewDialogTest : public ProgramDialogTest {
 protected:
  HWND openWith(const std::string& bytes) {
    EXPECT_TRUE(assignWorkText(context_.text, bytes));
    return open(IDD_PREVIEW);
  }

  HWND field() const { return GetDlgItem(dialog_, IDC_PREVIEW_TEXT); }
  bool readOnly() const { return (GetWindowLongA(field(), GWL_STYLE) & ES_READONLY) != 0; }

  // A character typed at the end of the field.
  void typeAtEnd(char c) {
    SendMessageA(field(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageA(field(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
  }

  // "Save to File..." with the script choosing path; false when the dialog did not come.
  bool saveTo(const std::string& path) {
    bool answered = false;
    {
      ScriptThread user(
          [&] { answered = answerFileDialog(GetCurrentProcessId(), kSaveTitle, path); });
      // Handled at once on this thread, which runs the save dialog's modal loop.
      SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SAVE_TEXT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_SAVE_TEXT)));
    }  // the script has finished here
    return answered;
  }

  std::string saved(const std::string& path) const {
    const testing_support::Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
};

TEST_F(PreviewDialogTest, ATextBelowTheLimitIsEditedAndSavedWithItsEdits) {
  const std::string original = crLfText(29999);
  ASSERT_NE(openWith(original), nullptr);
  EXPECT_EQ(text(IDC_PREVIEW_EXPLANATION),
            "Full editable text appears below.\n(Formatting approximates layout on Palm)");
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), original);
  EXPECT_FALSE(readOnly());
  // Room to type beyond the edit control's usual limit.
  typeAtEnd('!');
  typeAtEnd('\r');
  typeAtEnd('?');
  const std::string edited = original + "!\r\n?";
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), edited);

  TempDir dir;
  const std::string path = fullPath(dir.file("edited"));
  ASSERT_TRUE(saveTo(path));
  EXPECT_EQ(saved(path + ".txt"), edited);
  EXPECT_EQ(context_.text.view(), original) << "only Continue takes the edits";
  EXPECT_EQ(context_.flow.advanceRequest, 0);

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
  EXPECT_TRUE(readOnly());
  typeAtEnd('x');
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), original.substr(0, 30000));

  TempDir dir;
  const std::string path = fullPath(dir.file("whole.txt"));
  ASSERT_TRUE(saveTo(path));
  EXPECT_EQ(saved(path), original);

  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.text.view(), original);
}

TEST_F(PreviewDialogTest, ABlankDocumentOpensWithOneEmptyLineAndAnEmptiedOneCannotBeBuilt) {
  ASSERT_TRUE(loadBlankDoc(context_.text));
  ASSERT_TRUE(expandLineEnds(context_.text));
  ASSERT_NE(open(IDD_PREVIEW), nullptr);
  EXPECT_EQ(text(IDC_PREVIEW_TEXT), "\r\n");

  SetWindowTextA(field(), "");
  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  ASSERT_TRUE(context_.text.hasText());
  EXPECT_EQ(context_.text.length, 0);

  // The build step that follows refuses the empty text.
  TempDir dir;
  removeCarriageReturns(context_.text);
  const auto buildFile = writeBuildFile(context_.text);
  ASSERT_TRUE(buildFile);
  char name[40] = "Blank";
  EXPECT_NE(buildDoc(buildFile->c_str(), dir.file("blank.pdb").c_str(), name, false), kBuildOk);
  DeleteFileA(buildFile->c_str());
}

TEST_F(PreviewDialogTest, EscapeInTheTextKeepsTheDialogAndTheEdits) {
  ASSERT_NE(openWith("some text\r\n"), nullptr);
  SetFocus(field());
  typeAtEnd('!');
  pressKey(dialog_, VK_ESCAPE);
  pressButton(dialog_, IDC_CONTINUE);
  EXPECT_EQ(wait(), WaitOutcome::kMoveOn);
  EXPECT_EQ(context_.text.view(), "some text\r\n!");
  EXPECT_FALSE(pumpWaiting()) << "Escape must not end the program";
}

TEST_F(PreviewDialogTest, CancelStartsOverClosingEndsTheProgramAndNoChoiceSavesNothing) {
  TempDir dir;
  ASSERT_NE(openWith("kept\r\n"), nullptr);
  bool answered = false;
  {
    ScriptThread user([&] { answered = cancelFileDialog(GetCurrentProcessId(), kSaveTitle); });
    SendMessageA(dialog_, WM_COMMAND, IDC_SAVE_TEXT, 0);
  }
  EXPECT_TRUE(answered);
  EXPECT_TRUE(IsWindowVisible(dialog_)) << "the preview stays";

  pressButton(dialog_, IDC_SECOND_BUTTON);
  EXPECT_EQ(wait(), WaitOutcome::kStartOver);
  EXPECT_EQ(context_.flow.advanceRequest, 0);
  EXPECT_EQ(context_.text.view(), "kept\r\n");

  clearRequests();
  ASSERT_NE(openWith("kept\r\n"), nullptr);
  closeWindow(dialog_);
  EXPECT_EQ(wait(), WaitOutcome::kQuit);
  EXPECT_EQ(context_.flow.cancelRequest, 0);
}

}  // namespace

}  // namespace quillet

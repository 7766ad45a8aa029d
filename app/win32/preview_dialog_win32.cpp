#include "app/win32/preview_dialog_win32.h"

#include <commctrl.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/options_rules.h"
#include "app/preview_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/save_file_dialog.h"

namespace quillet {

namespace {

constexpr char kTextFilter[] = "Text File(*.txt)\0*.txt\0";
constexpr DWORD kTextNameSize = 256;

HWND textField(HWND dialog) { return GetDlgItem(dialog, IDC_PREVIEW_TEXT); }

// A many-line edit field in a dialog answers Escape by closing the dialog, and closing
// a dialog ends the program: one key would throw away the text and every edit made to
// it. The field ignores Escape, as the program's other dialogs do.
LRESULT CALLBACK textFieldIgnoringEscape(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR) {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(field, textFieldIgnoringEscape, id);
  return DefSubclassProc(field, message, wParam, lParam);
}

void openPreviewDialog(HWND dialog, AppContext& context) {
  const WorkText& text = context.text;
  const bool editable = previewIsEditable(text.length);
  SetDlgItemTextA(dialog, IDC_PREVIEW_EXPLANATION, previewExplanation(text.length));
  // A copy of the shown part, so the working text stays as it is.
  const std::string shown(shownPreviewText(text));
  HWND field = textField(dialog);
  SetWindowSubclass(field, textFieldIgnoringEscape, 0, 0);
  SetWindowTextA(field, shown.c_str());
  SendMessageA(field, EM_SETREADONLY, editable ? FALSE : TRUE, 0);
  // The edit control's own limit on typing (30000 under Wine, 32767 on Windows) would
  // leave a text near the preview limit almost no room to grow.
  if (editable) SendMessageA(field, EM_SETLIMITTEXT, 0, 0);
}

// The field's text as a new working text. When the block cannot be had, the working
// text stays as it was and the edits are lost.
void takeEditedText(HWND dialog, WorkText& text) {
  HWND field = textField(dialog);
  const int length = GetWindowTextLengthA(field);
  if (length < 0) return;
  HeapText block(static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1)));
  if (!block) return;
  const int copied = GetWindowTextA(field, block.get(), length + 1);
  text.buffer = std::move(block);
  setWorkTextLength(text, static_cast<std::size_t>(copied > 0 ? copied : 0));
}

// The save dialog for the text; true when a file was chosen, its path in name.
bool chooseTextFile(HWND dialog, char (&name)[kTextNameSize]) {
  return chooseSaveFile(dialog, kTextFilter, "Choose Output Text File", "txt", name, kTextNameSize);
}

// Saves what the user sees: the field's text, edits included, when it can be edited;
// the whole working text when only its beginning is shown. Failures show nothing.
void saveTextToFile(HWND dialog, const AppContext& context) {
  char name[kTextNameSize] = {};
  if (!chooseTextFile(dialog, name)) return;
  std::optional<std::string> edited;
  if (previewIsEditable(context.text.length)) edited = controlText(textField(dialog));
  writeWholeFile(name, previewFileText(context.text, edited));
}

bool previewCommand(HWND dialog, AppContext& context, int controlId) {
  switch (controlId) {
    case IDC_CONTINUE:
      if (previewIsEditable(context.text.length)) takeEditedText(dialog, context.text);
      context.flow.advanceRequest += 1;
      return true;
    case IDC_SECOND_BUTTON:  // "&Cancel"
      context.flow.cancelRequest = 1;
      return true;
    case IDC_SAVE_TEXT:
      saveTextToFile(dialog, context);
      return true;
    default:
      return false;
  }
}

constexpr DialogActions kPreviewActions{openPreviewDialog, previewCommand};

}  // namespace

INT_PTR CALLBACK PreviewDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kPreviewActions, dialog, message, wParam, lParam);
}

}  // namespace quillet

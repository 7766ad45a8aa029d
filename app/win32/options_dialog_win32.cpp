#include "app/win32/options_dialog_win32.h"

#include <commdlg.h>

#include <string>

#include "app/options_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/save_file_dialog.h"
#include "hotsync/palm_user_list.h"

namespace quillet {

namespace {

constexpr char kOutputFilter[] = "Palm Data File(*.pdb)\0*.pdb\0";
constexpr char kSourceFilters[] =
    "Text files (*.txt)\0*.txt\0"
    "HTML files (*.htm,*.html)\0*.htm;*.html\0"
    "Palm files (*.pdb,*.prc)\0*.prc;*.pdb*\0"
    "All files\0*.*\0";

struct CheckBoxOption {
  int controlId;
  unsigned char AppOptions::*field;
};

constexpr CheckBoxOption kCheckBoxes[] = {
    {IDC_SHOW_PREVIEW, &AppOptions::showPreview},
    {IDC_STRIP_LINE_BREAKS, &AppOptions::stripLineBreaks},
    {IDC_SAVE_TO_FILE, &AppOptions::saveToFile},
    {IDC_PUBLIC_FORMAT, &AppOptions::publicFormat},
};

void setControlText(HWND dialog, int controlId, std::string_view text) {
  SetDlgItemTextA(dialog, controlId, std::string(text).c_str());
}

bool isChecked(HWND dialog, int controlId) {
  return IsDlgButtonChecked(dialog, controlId) == BST_CHECKED;
}

int selectedSourceType(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_SOURCE_TYPE, CB_GETCURSEL, 0, 0));
}

void selectSourceType(HWND dialog, int sourceType) {
  SendDlgItemMessageA(dialog, IDC_SOURCE_TYPE, CB_SETCURSEL, static_cast<WPARAM>(sourceType), 0);
}

void fillSourceList(HWND dialog, bool clipboardOffered) {
  const int last = clipboardOffered ? kSourceClipboard : kSourceDocFile;
  for (int position = kSourceBlankDoc; position <= last; ++position) {
    const std::string entry = sourceListEntry(position);
    SendDlgItemMessageA(dialog, IDC_SOURCE_TYPE, CB_INSERTSTRING, static_cast<WPARAM>(position),
                        reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

void openOptionsDialog(HWND dialog, AppContext& context) {
  AppOptions& options = context.options;
  const OptionsOpening opening =
      openOptions(options, context.text, context.commandLine, context.settingsKey.c_str());
  setControlText(dialog, IDC_SOURCE_PATH, fieldText(options.sourcePath));
  setControlText(dialog, IDC_PALM_NAME, fieldText(options.palmName));
  fillSourceList(dialog, opening.clipboardOffered);
  if (!opening.status.empty()) setControlText(dialog, IDC_CLIPBOARD_STATUS, opening.status);
  selectSourceType(dialog, options.sourceType);
  for (const CheckBoxOption& box : kCheckBoxes) {
    if (options.*box.field != 0) CheckDlgButton(dialog, box.controlId, BST_CHECKED);
  }
}

// The save dialog for the document; true when a file was chosen, its path in outputPath.
bool chooseOutputFile(HWND dialog, char (&outputPath)[kPathSize]) {
  return chooseSaveFile(dialog, kOutputFilter, "Choose Output Palm Doc File", "pdb", outputPath,
                        kPathSize);
}

void continueOptions(HWND dialog, AppContext& context) {
  const std::string palmName = controlText(GetDlgItem(dialog, IDC_PALM_NAME));
  const std::string sourcePath = controlText(GetDlgItem(dialog, IDC_SOURCE_PATH));
  OptionsChoice choice;
  choice.showPreview = isChecked(dialog, IDC_SHOW_PREVIEW);
  choice.stripLineBreaks = isChecked(dialog, IDC_STRIP_LINE_BREAKS);
  choice.saveToFile = isChecked(dialog, IDC_SAVE_TO_FILE);
  choice.publicFormat = isChecked(dialog, IDC_PUBLIC_FORMAT);
  choice.palmName = palmName;
  choice.sourcePath = sourcePath;
  choice.selectedSourceType = selectedSourceType(dialog);
  AppOptions& options = context.options;
  if (acceptOptions(options, context.flow, context.docNames, choice, context.settingsKey.c_str())) {
    outputFileChosen(context.flow, chooseOutputFile(dialog, options.outputPath));
  }
}

void browseForSource(HWND dialog, AppContext& context) {
  char path[kPathSize] = {};
  GetDlgItemTextA(dialog, IDC_SOURCE_PATH, path, sizeof path);  // at most 259 characters
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = dialog;
  open.lpstrFilter = kSourceFilters;
  open.nFilterIndex = static_cast<DWORD>(browseFilterIndex(selectedSourceType(dialog)));
  open.lpstrFile = path;
  open.nMaxFile = sizeof path;
  open.lpstrTitle = "Select source file";
  // The read-only check box is shown; what the user does with it is not used.
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (GetOpenFileNameA(&open) == 0) return;
  SetDlgItemTextA(dialog, IDC_SOURCE_PATH, path);
  // The kind tested and changed is the one the options hold (loaded on opening or set by
  // an earlier browse), not the list's selection.
  AppOptions& options = context.options;
  options.sourceType = sourceTypeAfterBrowse(path, options.sourceType);
  selectSourceType(dialog, options.sourceType);
}

bool optionsCommand(HWND dialog, AppContext& context, int controlId) {
  switch (controlId) {
    case IDC_CONTINUE:
      continueOptions(dialog, context);
      return true;
    case IDC_SECOND_BUTTON:  // "E&xit"
      PostQuitMessage(0);
      return true;
    case IDC_BROWSE:
      browseForSource(dialog, context);
      return true;
    default:
      return false;
  }
}

constexpr DialogActions kOptionsActions{openOptionsDialog, optionsCommand};

}  // namespace

INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kOptionsActions, dialog, message, wParam, lParam);
}

}  // namespace quillet

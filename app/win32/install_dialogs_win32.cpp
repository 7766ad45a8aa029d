#include "app/win32/install_dialogs_win32.h"

#include <string>

#include "app/install_dialogs.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"

namespace quillet {

namespace {

// Inserting at a position does not sort, whatever the list's style says: the list's
// order is the scan's, and a list position is a user index.
void fillUserList(HWND dialog, AppContext& context) {
  HWND list = GetDlgItem(dialog, IDC_USER_LIST);
  const PalmUserList& users = context.users;
  for (int i = 0; i < users.userCount; ++i) {
    const std::string name(fieldText(users.entries[i].userName));
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(preselectedUser(users, context.options)), 0);
}

bool userSelectCommand(HWND dialog, AppContext& context, int controlId) {
  switch (controlId) {
    case IDC_CONTINUE: {
      context.flow.advanceRequest += 1;
      const auto selection =
          static_cast<int>(SendDlgItemMessageA(dialog, IDC_USER_LIST, LB_GETCURSEL, 0, 0));
      context.flow.selectedUser = chosenUser(selection, context.users);
      return true;
    }
    case IDC_SECOND_BUTTON:
      cancelUserSelection(context.options, context.flow);
      return true;
    default:
      return false;
  }
}

bool conversionCompleteCommand(HWND, AppContext& context, int controlId) {
  switch (controlId) {
    case IDC_CONTINUE:  // "E&xit"
      PostQuitMessage(0);
      return true;
    case IDC_SECOND_BUTTON:  // "Convert &Another"
      context.flow.advanceRequest += 1;
      return true;
    default:
      return false;
  }
}

constexpr DialogActions kNoActions{nullptr, nullptr};
constexpr DialogActions kUserSelectActions{fillUserList, userSelectCommand};
constexpr DialogActions kConversionCompleteActions{nullptr, conversionCompleteCommand};

}  // namespace

INT_PTR CALLBACK ScanSplashDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kNoActions, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK UserSelectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kUserSelectActions, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK InstallProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kNoActions, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK ConversionCompleteDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return handleDialogMessage(kConversionCompleteActions, dialog, message, wParam, lParam);
}

}  // namespace quillet

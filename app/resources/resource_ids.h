#pragma once

// Resource and control identifiers of quillet-maker.exe, shared by the resource script and
// the dialog code. Plain #defines, since the resource compiler reads this file too.

// Dialog templates.
#define IDD_USER_SELECT 110
#define IDD_SCAN_SPLASH 111
#define IDD_COMPLETE_INSTALLED 112
#define IDD_INSTALL_PROGRESS 116
#define IDD_OPTIONS 120
#define IDD_PREVIEW 121
#define IDD_COMPLETE_SAVED 122

// Pictures.
#define IDI_PROGRAM 116
#define IDB_SPLASH 103

// Buttons every dialog shares: the default button and the second one.
#define IDC_CONTINUE 1011
#define IDC_SECOND_BUTTON 1012

// Controls.
#define IDC_USER_LIST 1013
#define IDC_SAVE_TEXT 1013
#define IDC_SCAN_STATUS 1048
#define IDC_PROGRESS_BAR 1054
#define IDC_INSTALL_STATUS 1055
#define IDC_STRIP_LINE_BREAKS 1057
#define IDC_PREVIEW_TEXT 1058
#define IDC_SOURCE_TYPE 1059
#define IDC_SOURCE_PATH 1060
#define IDC_BROWSE 1061
#define IDC_SHOW_PREVIEW 1062
#define IDC_SAVE_TO_FILE 1063
#define IDC_PUBLIC_FORMAT 1064
#define IDC_PALM_NAME 1065
#define IDC_CLIPBOARD_STATUS 1067
#define IDC_PREVIEW_EXPLANATION 1068

// The identifier of controls that need none of their own.
#define IDC_NONE 65535

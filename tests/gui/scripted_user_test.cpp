// The scripted user against the real message boxes and file dialogs, shown by the
// test's own thread while the script runs beside it.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commdlg.h>

#include <string>

#include "app/win32/message_box.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;

TEST(ScriptedUserTest, AnswersTheProgramsMessageBoxesAndReadsThem) {
  SeenMessage seen;
  bool answered = false;
  {
    ScriptThread user(
        [&] { answered = answerMessageBox(GetCurrentProcessId(), "Registry Error", seen); });
    messageBoxSink()("Registry Error", "Cannot locate a path to the Palm folder");
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(seen.caption, "Registry Error");
  EXPECT_EQ(seen.text, "Cannot locate a path to the Palm folder");
  EXPECT_FALSE(seen.hasOwner);
  EXPECT_TRUE(seen.okOnly);
}

// A save dialog as the program's dialogs show it.
bool chooseFile(std::string& chosen) {
  char name[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = "Palm Data File(*.pdb)\0*.pdb\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrTitle = "Choose Output Palm Doc File";
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = "pdb";
  const bool chose = GetSaveFileNameA(&dialog) != 0;
  chosen = name;
  return chose;
}

TEST(ScriptedUserTest, AnswersAndCancelsTheCommonFileDialogs) {
  testing_support::TempDir dir;
  const std::string path = fullPath(dir.file("chosen book.pdb"));
  std::string chosen;
  bool answered = false;
  {
    ScriptThread user([&] {
      answered = answerFileDialog(GetCurrentProcessId(), "Choose Output Palm Doc File", path);
    });
    EXPECT_TRUE(chooseFile(chosen));
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(chosen, path);

  {
    ScriptThread user(
        [&] { answered = cancelFileDialog(GetCurrentProcessId(), "Choose Output Palm Doc File"); });
    EXPECT_FALSE(chooseFile(chosen));
  }
  EXPECT_TRUE(answered);
}

}  // namespace

}  // namespace quillet

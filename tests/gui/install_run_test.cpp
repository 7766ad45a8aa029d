// The install run with its progress dialog, in the test's own process, and quillet.exe
// install against a faked Palm Desktop, its flags read back with reg.exe.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "app/app_context.h"
#include "app/install_step.h"
#include "app/resources/resource_ids.h"
#include "app/win32/install_run_win32.h"
#include "hotsync/install_run.h"
#include "tests/gui/palm_desktop_setup.h"
#include "tests/gui/program_options_setup.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using namespace testing_support;

constexpr char kProgressTitle[] = "Quillet Maker - Installing Files...";

TEST(InstallRunDialogTest, ShowsEachCopyInTheProgressDialogAndFillsTheBarForTheFirstUser) {
  ScopedTestRegistry registry;
  TempDir dir;
  FakePalmFolder palm(dir.file("Palm"));
  AppContext context;
  PalmUserList& users = context.users;
  setFieldText(users.palmFolder, palm.path());
  const char* const names[][2] = {{"Ann Smith", "SmithA"}, {"Bob", "JonesB"}};
  for (const auto& [name, folder] : names) {
    palm.addFolder(folder, {"Install", "backup"});
    PalmUser& user = users.entries[users.userCount++];
    setFieldText(user.userName, name);
    setFieldText(user.installPath, palm.pathOf(folder, "Install"));
    setFieldText(user.backupPath, palm.pathOf(folder, "backup"));
  }
  const std::string built = dir.file("tempdoc2.$$$");
  writeFile(built, installableDatabase("Doc One", 0));
  writeFile(dir.file("two.pdb"), installableDatabase("Doc Two", 0x0001));
  ASSERT_TRUE(addInstallFile(context.flow, built));
  ASSERT_TRUE(addInstallFile(context.flow, dir.file("two.pdb")));
  ASSERT_TRUE(addCommandLineUser(context.flow, "ann smith"));
  ASSERT_TRUE(addCommandLineUser(context.flow, "BOB"));
  setFieldText(context.options.outputPath, built);

  const Win32Launch launch{GetModuleHandleA(nullptr), SW_SHOWNORMAL};
  const std::string pilotDesktop = registry.path("U.S. Robotics\\Pilot Desktop");
  context.settingsKey = registry.path("Quillet");
  InstallRequest request = installRequestFor(context.flow, context.options);
  request.keys.pilotDesktop = pilotDesktop.c_str();
  std::vector<std::pair<std::string, std::string>> messages;

  // The statuses as someone watching the dialog sees them.
  std::atomic<bool> finished = false;
  std::vector<std::string> seen;
  int result = 0;
  {
    ScriptThread watcher([&] {
      HWND dialog = waitForWindow(GetCurrentProcessId(), kProgressTitle);
      if (dialog == nullptr) return;
      for (bool last = false; !last; Sleep(2)) {
        last = finished;  // one more look once the run has ended
        const std::string status = storedText(GetDlgItem(dialog, IDC_INSTALL_STATUS));
        if (seen.empty() || seen.back() != status) seen.push_back(status);
      }
    });
    const InstallReport report = installWithProgressDialog(launch, context, request);
    result = report.matchedNames;
    applyInstallReport(context.flow, report, [&](std::string_view caption, std::string_view text) {
      messages.emplace_back(caption, text);
    });
    finished = true;
  }
  EXPECT_EQ(result, 2);
  EXPECT_TRUE(messages.empty());

  const auto installing = [&](const char* name, const char* user, const char* folder,
                              const char* file) {
    return "Installing '" + std::string(name) + "' to user '" + user + "'\n\n(" +
           palm.pathOf(folder, "Install") + "\\" + file + ")...";
  };
  const std::vector<std::string> expected = {
      installing("Doc One", "Ann Smith", "SmithA", "Doc_One.pdb"),
      installing("Doc Two", "Ann Smith", "SmithA", "Doc_Two.prc"),
      installing("Doc One", "Bob", "JonesB", "Doc_One.pdb"),
      installing("Doc Two", "Bob", "JonesB", "Doc_Two.prc"), "Done"};
  EXPECT_TRUE(isSubsequence(expected, seen)) << testing::PrintToString(seen);

  HWND dialog = static_cast<HWND>(context.flow.currentDialog);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(storedText(dialog), kProgressTitle);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
  EXPECT_EQ(storedText(GetDlgItem(dialog, IDC_INSTALL_STATUS)), "Done");
  // Range 0 to 4 (two documents), full: eight steps do not widen it.
  PBRANGE range{};
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE,
                      reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 4);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 4);

  // The copies themselves, and the flags, are the portable run's (tests/hotsync).
  EXPECT_EQ(readFile(palm.pathOf("JonesB", "backup") + "\\Doc_Two.prc"),
            installableDatabase("Doc Two", 0x0001));
  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(context.flow.advanceRequest, 1);
  EXPECT_EQ(context.flow.selectedUser, 1);
  EXPECT_EQ(fieldText(context.options.hotsyncName), "Bob");
  DestroyWindow(dialog);
}

TEST(InstallCommandScenarioTest, CopiesIntoTheUserFoldersAndSetsFlagsRegReadsBack) {
  ScopedPalmDesktop desktop;
  // quillet.exe install stores the user it installed to under the real options key.
  ScopedProgramOptions options;
  FakePalmFolder& palm = desktop.palm();
  palm.addFolder("SmithA", {"Install", "backup"});
  palm.addFolder("JonesB", {"backup"});
  palm.writeUsersDat(concat({bytesOf("users"), usersDatRecord(5, "Ann Smith", "SmithA"),
                             usersDatRecord(-2, "Bob Jones", "JonesB")}));
  ASSERT_TRUE(desktop.importStandardValues());
  TempDir dir;
  const std::string document = dir.file("notes.pdb");
  writeFile(document, installableDatabase("Notes v1.2", 0));

  const ProgramRun none = runProgram(QUILLET_CLI_EXE, "install \"" + document + "\" -u Nobody");
  ASSERT_TRUE(none.finished);
  EXPECT_EQ(none.exitCode, 1u);
  EXPECT_NE(none.err.find("Install Error: No valid users selected"), std::string::npos) << none.err;

  const ProgramRun run =
      runProgram(QUILLET_CLI_EXE, "install \"" + document + "\" -u \"ann smith\" -u \"Bob Jones\"");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("Installing 'Notes v1.2' to user 'Ann Smith'\n\n(" +
                         palm.pathOf("SmithA", "Install") + "\\Notes_v1_2.pdb)...\nDone\n"),
            std::string::npos)
      << run.out;
  for (const char* folder : {"SmithA", "JonesB"}) {
    for (const char* kind : {"Install", "backup"}) {
      EXPECT_EQ(readFile(palm.pathOf(folder, kind) + "\\Notes_v1_2.pdb"), readFile(document));
    }
  }
  EXPECT_TRUE(fileExists(document));
  EXPECT_EQ(fieldText(options.stored().hotsyncName), "Bob Jones");

  const ProgramRun query =
      runProgram("C:\\windows\\system32\\reg.exe",
                 "query \"HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager\"");
  ASSERT_TRUE(query.finished);
  EXPECT_EQ(query.exitCode, 0u) << query.err;
  for (const char* value : {"Install5", "Install-2"}) {
    const std::size_t at = query.out.find(std::string(value) + " ");
    ASSERT_NE(at, std::string::npos) << query.out;
    const std::string line = query.out.substr(at, query.out.find('\n', at) - at);
    EXPECT_NE(line.find("REG_DWORD"), std::string::npos) << line;
    EXPECT_NE(line.find("0x1"), std::string::npos) << line;
  }
}

}  // namespace

}  // namespace quillet

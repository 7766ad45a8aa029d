// quillet users, over a registry file and a Palm folder of the test's own. The Windows
// build reads Palm Desktop's real keys; tests/gui runs it there against fakes.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"
#include "cli/commands.h"
#include "platform/registry.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

void setPalmFolderValue(const std::string& folder) {
  ASSERT_EQ(writeSetting("Software\\U.S. Robotics\\Pilot Desktop\\Core\\Path", folder.c_str(),
                         static_cast<std::uint32_t>(folder.size() + 1), kRegSz),
            0);
}

TEST(UsersCommandTest, ListsEachUsersNameAndFoldersWithoutChangingAnything) {
  ScopedTestRegistry registry;
  TempDir dir;
  FakePalmFolder palm(dir.file("Palm"));
  palm.addFolder("SmithA", {"Install"});
  palm.addFolder("JonesB", {"backup"});
  palm.writeUsersDat(usersDatRecord(4, "Ann Smith", "SmithA"));
  setPalmFolderValue(palm.path());

  const CommandRun run = runCommand(runUsersCommand, {});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::size_t width = palm.pathOf("SmithA", "Install").size();
  const auto row = [&](const std::string& name, const std::string& folder) {
    return (name + std::string(9 - name.size(), ' ')) + "  " + palm.pathOf(folder, "Install") +
           std::string(width - palm.pathOf(folder, "Install").size(), ' ') + "  " +
           palm.pathOf(folder, "backup") + "\n";
  };
  const std::string expectedHead =
      "Palm folder:     " + palm.path() + "\nInstall folder:  Install\n\nUser name  " +
      std::string("Install folder") + std::string(width - 14, ' ') + "  Backup folder\n";
  EXPECT_EQ(run.out.substr(0, expectedHead.size()), expectedHead) << run.out;
  EXPECT_NE(run.out.find(row("Ann Smith", "SmithA")), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(row("JonesB", "JonesB")), std::string::npos) << run.out;
  EXPECT_FALSE(fileExists(palm.pathOf("JonesB", "Install")));
}

TEST(UsersCommandTest, ReportsAMissingPalmFolderOrRegistryAndLeftOutUsers) {
  ScopedTestRegistry registry;
  CommandRun run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Registry Error: Cannot locate a path to the Palm folder\n");
  EXPECT_EQ(run.out, "");

  TempDir dir;
  FakePalmFolder palm(dir.file("Palm"));
  setPalmFolderValue(palm.path());
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("\nNo HotSync users found.\n"), std::string::npos) << run.out;

  const std::string tooLong(100, 'T');
  palm.addFolder(tooLong, {"backup"});
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "quillet: user folder '" + tooLong +
                         "' left out: its install or backup path would be longer than 99 "
                         "characters\n");

  writeFile(registry.file(), "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n");
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
  EXPECT_EQ(runCommand(runUsersCommand, {"extra"}).exitCode, 2);
}

}  // namespace
}  // namespace quillet

#endif

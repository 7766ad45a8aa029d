// quillet install, over a registry file and a Palm folder of the test's own. The Windows
// build uses Palm Desktop's real keys; tests/gui runs it there against fakes.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

constexpr char kPilotDesktop[] = "Software\\U.S. Robotics\\Pilot Desktop";

class InstallCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string path = palm.path();
    ASSERT_EQ(writeSetting((std::string(kPilotDesktop) + "\\Core\\Path").c_str(), path.c_str(),
                           static_cast<std::uint32_t>(path.size() + 1), kRegSz),
              0);
    palm.addFolder("SmithA", {"Install", "backup"});
    palm.addFolder("JonesB", {"backup"});
    Bytes users = usersDatRecord(7, "Ann Smith", "SmithA");
    const Bytes bob = usersDatRecord(-3, "JonesB", "JonesB");
    users.insert(users.end(), bob.begin(), bob.end());
    palm.writeUsersDat(users);
  }

  std::string document(const std::string& fileName, std::string_view name,
                       std::uint16_t attributes) {
    writeFile(dir.file(fileName),
              installableDatabase(name, attributes, "records of " + std::string(name)));
    return dir.file(fileName);
  }

  bool flagSet(const std::string& number) const {
    std::uint32_t type = 0;
    Bytes data;
    return queryValueAt(std::string(kPilotDesktop) + "\\HotSync Manager\\Install" + number, type,
                        data) &&
           type == kRegDword && data == hexBytes("01000000");
  }

  ScopedTestRegistry registry;
  TempDir dir;
  FakePalmFolder palm{dir.file("Palm")};
};

TEST_F(InstallCommandTest, CopiesEachDocForEachNamedUserAndLeavesTheDocs) {
  const std::string book = document("book.pdb", "My Book", 0);
  const std::string game = document("game.pdb", "Game", 0x0001);
  const CommandRun run = runCommand(
      runInstallCommand, {book, game, "-u", "ann smith", "--user", "JONESB", "-uNobody"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "quillet: no HotSync user named 'Nobody'\n");

  const auto status = [&](const char* name, const char* user, const char* folder,
                          const char* file) {
    return "Installing '" + std::string(name) + "' to user '" + user + "'\n\n(" +
           palm.pathOf(folder, "Install") + "/" + file + ")...\nDone\n";
  };
  EXPECT_EQ(run.out, status("My Book", "Ann Smith", "SmithA", "My_Book.pdb") +
                         status("Game", "Ann Smith", "SmithA", "Game.prc") +
                         status("My Book", "JonesB", "JonesB", "My_Book.pdb") +
                         status("Game", "JonesB", "JonesB", "Game.prc"));
  for (const char* folder : {"SmithA", "JonesB"}) {
    for (const char* kind : {"Install", "backup"}) {
      EXPECT_EQ(readFile(palm.pathOf(folder, kind) + "/My_Book.pdb"), readFile(book));
      EXPECT_EQ(readFile(palm.pathOf(folder, kind) + "/Game.prc"), readFile(game));
    }
  }
  EXPECT_TRUE(fileExists(book));
  EXPECT_TRUE(fileExists(game));
  EXPECT_TRUE(flagSet("7"));
  EXPECT_TRUE(flagSet("-3"));

  std::uint32_t type = 0;
  Bytes name;
  ASSERT_TRUE(
      queryValueAt("Software\\Corvane Software\\Quillet\\v1.0\\options_hotsync_name", type, name));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(name.data())), "JonesB");
}

TEST_F(InstallCommandTest, FailsWhenNoNameMatchesOrADocCannotBeReadOrCopied) {
  const std::string book = document("book.pdb", "My Book", 0);
  CommandRun run = runCommand(runInstallCommand, {book, "-u", "Ann"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "quillet: no HotSync user named 'Ann'\nInstall Error: No valid users selected\n");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(fileExists(book));
  EXPECT_FALSE(flagSet("7"));

  run = runCommand(runInstallCommand, {book, dir.file("missing.pdb"), "-u", "Ann Smith"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "quillet: cannot read '" + dir.file("missing.pdb") + "': No such file or directory\n");
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);

  // A database without a name would be copied onto the folders themselves.
  const std::string unnamed = document("unnamed.pdb", "", 0);
  run = runCommand(runInstallCommand, {unnamed, "-u", "Ann Smith"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "quillet: '" + unnamed +
                         "' was not copied to user 'Ann Smith''s install folder: its database "
                         "name is empty\nquillet: '" +
                         unnamed +
                         "' was not copied to user 'Ann Smith''s backup folder: its database "
                         "name is empty\n");
  EXPECT_TRUE(flagSet("7"));  // the user is marked all the same, as the application does

  writeFile(registry.file(), "REGEDIT4\r\n");
  run = runCommand(runInstallCommand, {book, "-u", "Ann Smith"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Registry Error: Cannot locate a path to the Palm folder\n");
}

TEST_F(InstallCommandTest, UsageErrors) {
  const std::string book = document("book.pdb", "My Book", 0);
  std::vector<std::string> tenDocs(10, book);
  tenDocs.insert(tenDocs.end(), {"-u", "Ann Smith"});
  std::vector<std::string> manyNames = {book};
  for (int i = 0; i < 26; ++i) manyNames.insert(manyNames.end(), {"-u", "Ann Smith"});
  const std::vector<std::vector<std::string>> cases = {
      {book},       {"-u", "Ann Smith"}, tenDocs, manyNames, {book, "-u", std::string(100, 'A')},
      {book, "-u"},
  };
  for (const auto& args : cases) {
    const CommandRun run = runCommand(runInstallCommand, args);
    EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
    EXPECT_NE(run.err.find("Usage: quillet install"), std::string::npos) << run.err;
  }
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(runCommand(runInstallCommand, {"--help"}).exitCode, 0);
}

}  // namespace
}  // namespace quillet

#endif

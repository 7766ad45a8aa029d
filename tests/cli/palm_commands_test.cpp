// quillet install, users and settings, over a registry file and a Palm folder of the
// test's own. The Windows build reads Palm Desktop's and the program's real keys, which
// tests leave alone; tests/gui runs it there against fakes.
#ifndef _WIN32
#include <cstring>

#include "platform/registry.h"
#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "tests/cli/cli_test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

constexpr char kPilotDesktop[] = "Software\\U.S. Robotics\\Pilot Desktop";

class PalmCommandsTest : public CliTest {
 protected:
  void setPalmFolder(const std::string& folder) {
    const std::string path = std::string(kPilotDesktop) + "\\Core\\Path";
    const auto size = static_cast<std::uint32_t>(folder.size() + 1);
    ASSERT_EQ(writeSetting(path.c_str(), folder.c_str(), size, kRegSz), 0);
  }

  void addUsers() {
    setPalmFolder(palm.path());
    palm.addFolder("SmithA", {"Install", "backup"});
    palm.addFolder("JonesB", {"backup"});
    palm.writeUsersDat(
        concat({usersDatRecord(7, "Ann Smith", "SmithA"), usersDatRecord(-3, "JonesB", "JonesB")}));
  }

  std::string document(const std::string& fileName, std::string_view name,
                       std::uint16_t attributes) {
    writeFile(dir.file(fileName),
              installableDatabase(name, attributes, "records of " + std::string(name)));
    return dir.file(fileName);
  }

  static bool flagSet(const std::string& number) {
    std::uint32_t type = 0;
    Bytes data;
    return queryValueAt(std::string(kPilotDesktop) + "\\HotSync Manager\\Install" + number, type,
                        data) &&
           type == kRegDword && data == hexBytes("01000000");
  }

  FakePalmFolder palm{dir.file("Palm")};
};

TEST_F(PalmCommandsTest, InstallCopiesEachDocForEachNamedUserAndLeavesTheDocs) {
  addUsers();
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
  EXPECT_TRUE(fileExists(book) && fileExists(game));
  EXPECT_TRUE(flagSet("7") && flagSet("-3"));
  std::uint32_t type = 0;
  Bytes name;
  ASSERT_TRUE(
      queryValueAt("Software\\Corvane Software\\Quillet\\v1.0\\options_hotsync_name", type, name));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(name.data())), "JonesB");
}

TEST_F(PalmCommandsTest, InstallFailsWhenNoNameMatchesOrADocCannotBeReadOrCopied) {
  addUsers();
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
  const auto notCopied = [&](const char* folder) {
    return "quillet: '" + unnamed + "' was not copied to user 'Ann Smith''s " + folder +
           " folder: its database name is empty\n";
  };
  EXPECT_EQ(run.err, notCopied("install") + notCopied("backup"));
  EXPECT_TRUE(flagSet("7"));  // the user is marked all the same, as the application does

  writeFile(registry.file(), "REGEDIT4\r\n");  // no Palm folder: said once, nothing more
  run = runCommand(runInstallCommand, {book, "-u", "Ann Smith"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Registry Error: Cannot locate a path to the Palm folder\n");
}

TEST_F(PalmCommandsTest, InstallUsageErrors) {
  addUsers();
  const std::string book = document("book.pdb", "My Book", 0);
  std::vector<std::string> tenDocs(10, book);
  tenDocs.insert(tenDocs.end(), {"-u", "Ann Smith"});
  std::vector<std::string> manyNames = {book};
  for (int i = 0; i < 26; ++i) manyNames.insert(manyNames.end(), {"-u", "Ann Smith"});
  const std::vector<std::vector<std::string>> cases = {
      {book},      {"-u", "Ann Smith"}, tenDocs, manyNames, {book, "-u", std::string(100, 'A')},
      {book, "-u"}};
  for (const auto& args : cases) {
    const CommandRun run = runCommand(runInstallCommand, args);
    EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
    EXPECT_NE(run.err.find("Usage: quillet install"), std::string::npos) << run.err;
  }
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);
}

TEST_F(PalmCommandsTest, UsersListsEachUsersNameAndFoldersWithoutChangingAnything) {
  setPalmFolder(palm.path());
  palm.addFolder("SmithA", {"Install"});
  palm.addFolder("JonesB", {"backup"});
  palm.writeUsersDat(usersDatRecord(4, "Ann Smith", "SmithA"));
  const CommandRun run = runCommand(runUsersCommand, {});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::size_t width = palm.pathOf("SmithA", "Install").size();
  const auto row = [&](const std::string& name, const std::string& folder) {
    return (name + std::string(9 - name.size(), ' ')) + "  " + palm.pathOf(folder, "Install") +
           std::string(width - palm.pathOf(folder, "Install").size(), ' ') + "  " +
           palm.pathOf(folder, "backup") + "\n";
  };
  const std::string head = "Palm folder:     " + palm.path() +
                           "\nInstall folder:  Install\n\nUser name  Install folder" +
                           std::string(width - 14, ' ') + "  Backup folder\n";
  EXPECT_EQ(run.out.substr(0, head.size()), head) << run.out;
  EXPECT_NE(run.out.find(row("Ann Smith", "SmithA")), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(row("JonesB", "JonesB")), std::string::npos) << run.out;
  EXPECT_FALSE(fileExists(palm.pathOf("JonesB", "Install")));
}

TEST_F(PalmCommandsTest, UsersReportsAMissingPalmFolderOrRegistryAndLeftOutUsers) {
  CommandRun run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Registry Error: Cannot locate a path to the Palm folder\n");
  EXPECT_EQ(run.out, "");
  setPalmFolder(palm.path());
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("\nNo HotSync users found.\n"), std::string::npos) << run.out;
  const std::string tooLong(100, 'T');
  palm.addFolder(tooLong, {"backup"});
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "quillet: user folder '" + tooLong +
                "' left out: its install or backup path would be longer than 99 characters\n");
  writeFile(registry.file(), "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n");
  run = runCommand(runUsersCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
  EXPECT_EQ(runCommand(runUsersCommand, {"extra"}).exitCode, 2);
}

// The output line of one value.
std::string rowOf(const std::string& out, const std::string& valueName) {
  const std::size_t start = out.find(valueName + " ");
  return start == std::string::npos ? "" : out.substr(start, out.find('\n', start) - start);
}

TEST_F(PalmCommandsTest, SettingsShowsWhereAndWhatIsStoredOrDefault) {
  AppOptions options;
  std::memcpy(options.palmName, "Caf\xE9 \"Notes\"\x01", 14);
  options.sourceType = kSourceHtmlFile;
  storeAppOptions(options);
  std::memset(options.hotsyncName, 'J', kHotsyncNameSize);  // no NUL in all 50 bytes
  storeHotsyncName(options);
  writeSetting("Software\\Corvane Software\\Quillet\\v1.0\\options_show_preview", "", 0,
               kRegBinary);
  const CommandRun run = runCommand(runSettingsCommand, {});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(
      run.out.rfind("Key:   HKEY_CURRENT_USER\\Software\\Corvane Software\\Quillet\\v1.0\nFile:  " +
                        registry.file() + "\n",
                    0),
      0u)
      << run.out;
  const std::pair<const char*, std::string> rows[] = {
      {"options_palm_name",
       "options_palm_name      palmName            40  stored   \"Caf\xE9 \\\"Notes\\\"\\x01\""},
      {"options_import_type",
       "options_import_type    sourceType           4  stored   2 (HTML File)"},
      {"options_hotsync_name", "options_hotsync_name   hotsyncName         50  stored   \"" +
                                   std::string(50, 'J') + "\" (no terminating NUL)"},
      // An empty value reads as nothing: the field keeps its default.
      {"options_show_preview", "options_show_preview   showPreview          1  stored   1 (on)"}};
  for (const auto& [name, row] : rows) EXPECT_EQ(rowOf(run.out, name), row);
}

TEST_F(PalmCommandsTest, SettingsReportsAFileItCannotReadAndLeavesIt) {
  const std::string text = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n";
  writeFile(registry.file(), text);
  const CommandRun run = runCommand(runSettingsCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(registry.file() + "' line 2:"), std::string::npos) << run.err;
  EXPECT_EQ(rowOf(run.out, "options_write_file"),
            "options_write_file     saveToFile           1  default  0 (off)");
  EXPECT_EQ(readFile(registry.file()), bytesOf(text));
  EXPECT_EQ(runCommand(runSettingsCommand, {"extra"}).exitCode, 2);
}

}  // namespace
}  // namespace quillet
#endif

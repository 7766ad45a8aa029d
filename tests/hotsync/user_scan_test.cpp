// The user scan over a registry and a Palm folder of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"
#include "base/paths.h"
#include "hotsync/user_scan.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

void setText(const std::string& path, std::string_view text) {
  const std::string value(text);
  ASSERT_EQ(writeSetting(path.c_str(), value.c_str(), static_cast<std::uint32_t>(value.size() + 1),
                         kRegSz),
            0)
      << path;
}

// Palm Desktop's keys, placed below the test's own registry key under a given name.
struct TestKeys {
  std::string pilotDesktop;
  std::string palmDesktop;

  TestKeys(const ScopedTestRegistry& registry, std::string_view name)
      : pilotDesktop(registry.path(std::string(name) + "\\U.S. Robotics\\Pilot Desktop")),
        palmDesktop(registry.path(std::string(name) + "\\3Com\\Palm Desktop")) {}

  PalmDesktopKeys keys() const { return {pilotDesktop.c_str(), palmDesktop.c_str()}; }
  void setConduit(int number, std::string_view module, std::string_view directory) const {
    const std::string base =
        pilotDesktop + "\\HotSync Manager\\InstallConduit" + std::to_string(number) + "\\";
    setText(base + "Module", module);
    if (!directory.empty()) setText(base + "Directory", directory);
  }
};

class UserScanTest : public testing::Test {
 protected:
  // A scan that records what it shows, how long it pauses and what it reports.
  int scan(PalmUserList& users, const TestKeys& where, bool createInstallFolders = true) {
    ScanOptions options;
    options.keys = where.keys();
    options.createInstallFolders = createInstallFolders;
    options.showStatus = [this](const char* text) { statuses.emplace_back(text); };
    options.pause = [this](unsigned milliseconds) { pauses.push_back(milliseconds); };
    options.userSkipped = [this](std::string_view name) { skipped.emplace_back(name); };
    return scanPalmUsers(users, options) == PalmScan::kScanned ? 0 : -1;
  }

  // The user folders among the Palm folder's entries, in the order the search returns them.
  std::vector<std::string> searchOrder(const std::vector<std::string>& userFolders) const {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(listDirectory(palm.path().c_str(), entries));
    std::vector<std::string> order;
    for (const DirectoryEntry& entry : entries) {
      if (std::find(userFolders.begin(), userFolders.end(), entry.name) != userFolders.end()) {
        order.push_back(entry.name);
      }
    }
    return order;
  }

  ScopedTestRegistry registry;
  TempDir dir;
  FakePalmFolder palm{dir.file("Palm")};
  TestKeys keys{registry, "Main"};
  std::vector<std::string> statuses;
  std::vector<unsigned> pauses;
  std::vector<std::string> skipped;
};

TEST_F(UserScanTest, WithoutAPalmFolderValueItReportsAndListsNobody) {
  palm.addFolder("SmithA", {"Install"});
  PalmUserList users;
  users.userCount = 3;
  EXPECT_EQ(scan(users, keys), -1);
  EXPECT_EQ(users.userCount, 0);
  EXPECT_TRUE(statuses.empty());

  // Values that name no usable folder count as missing: an empty one, and one that fills
  // all 512 bytes of the field without ending.
  setText(keys.pilotDesktop + "\\Core\\Path", "");
  ASSERT_EQ(writeSetting((keys.palmDesktop + "\\Core\\Path").c_str(), std::string(512, 'P').data(),
                         512, kRegBinary),
            0);
  EXPECT_EQ(scan(users, keys), -1);
}

TEST_F(UserScanTest, ThePalmFolderComesFromPilotDesktopElsePalmDesktop) {
  palm.addFolder("SmithA", {"Install"});
  PalmUserList users;
  setText(keys.palmDesktop + "\\Core\\Path", palm.path());
  EXPECT_EQ(scan(users, keys), 0);
  EXPECT_EQ(std::string(users.palmFolder), palm.path());
  EXPECT_EQ(users.userCount, 1);

  setText(keys.pilotDesktop + "\\Core\\Path", dir.file("Missing"));
  EXPECT_EQ(scan(users, keys), 0);  // a folder that cannot be searched holds no users
  EXPECT_EQ(std::string(users.palmFolder), dir.file("Missing"));
  EXPECT_EQ(users.userCount, 0);
}

TEST_F(UserScanTest, TheFirstInstallConduitNamesTheInstallFolder) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> conduits;  // module, directory
    const char* expected;
  };
  const Case cases[] = {
      {"first", {{"inscn20.dll", "Inbox"}, {"inscn20.dll", "Other"}}, "Inbox"},
      {"capital", {{"Inscn20.dll", "Inbox"}, {"inscn20.dll", "Other"}}, "Other"},
      {"short", {{"insc", "Inbox"}, {"inscn", "Other"}}, "Other"},
      {"no directory", {{"inscn20.dll", ""}, {"inscn20.dll", "Other"}}, "Other"},
      {"other module", {{"backup.dll", "Inbox"}}, "Install"},
      {"none", {}, "Install"},
  };
  for (const Case& test : cases) {
    const TestKeys caseKeys(registry, test.name);
    setText(caseKeys.pilotDesktop + "\\Core\\Path", palm.path());
    int number = 1;
    for (const auto& [module, directory] : test.conduits) {
      caseKeys.setConduit(number++, module, directory);
    }
    PalmUserList users;
    scan(users, caseKeys, false);
    EXPECT_EQ(std::string(users.installFolderName), test.expected) << test.name;
  }
}

TEST_F(UserScanTest, UsersAreFoldersHoldingTheInstallFolderOrBackup) {
  setText(keys.pilotDesktop + "\\Core\\Path", palm.path());
  palm.addFolder("SmithA", {"Install"});
  palm.addFolder("JonesB", {"backup"});
  palm.addFolder("Graphics", {"other"});
  palm.addFolder("Plain", {});
  palm.addFolder("FileOnly", {});
  writeFile(palm.pathOf("FileOnly", "backup"), "a file named backup counts as well");
  writeFile(palm.pathOf("notes.txt"), "not a folder");
  palm.writeUsersDat(usersDatRecord(3, "Ann Smith", "SmithA"));

  // Listing without creating: nothing new appears.
  PalmUserList users;
  EXPECT_EQ(scan(users, keys, false), 0);
  EXPECT_EQ(users.userCount, 3);
  EXPECT_FALSE(fileExists(palm.pathOf("JonesB", "Install")));

  statuses.clear();
  pauses.clear();
  EXPECT_EQ(scan(users, keys), 0);
  const std::vector<std::string> order = searchOrder({"SmithA", "JonesB", "FileOnly"});
  ASSERT_EQ(users.userCount, 3);
  std::vector<std::string> expectedStatuses;
  for (int i = 0; i < 3; ++i) {
    const PalmUser& user = users.entries[i];
    const std::string name = order[i] == "SmithA" ? "Ann Smith" : order[i];
    EXPECT_EQ(std::string(user.userName), name);
    EXPECT_EQ(std::string(user.installPath), palm.pathOf(order[i], "Install"));
    EXPECT_EQ(std::string(user.backupPath), palm.pathOf(order[i], "backup"));
    expectedStatuses.push_back("Found user '" + name + "'");
  }
  EXPECT_EQ(statuses, expectedStatuses);
  EXPECT_EQ(pauses, std::vector<unsigned>(3, 100));
  // The install folder of a user with only "backup" is made; folders that are no user's
  // are left alone.
  EXPECT_TRUE(fileExists(palm.pathOf("JonesB", "Install")));
  EXPECT_EQ(countEntries(palm.pathOf("Graphics")), 1u);
  EXPECT_EQ(countEntries(palm.pathOf("Plain")), 0u);
}

TEST_F(UserScanTest, TheFirstTwentyFiveUsersTheSearchReturnsAreListed) {
  setText(keys.pilotDesktop + "\\Core\\Path", palm.path());
  keys.setConduit(1, "inscn20.dll", "Inbox");
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) {
    names.push_back("User" + std::to_string(i));
    palm.addFolder(names.back(), {"backup"});
  }
  PalmUserList users;
  EXPECT_EQ(scan(users, keys), 0);
  ASSERT_EQ(users.userCount, 25);
  const std::vector<std::string> order = searchOrder(names);
  int created = 0;
  for (int i = 0; i < 30; ++i) {
    const bool listed = i < 25;
    if (listed) {
      EXPECT_EQ(std::string(users.entries[i].userName), order[i]);
    }
    EXPECT_EQ(fileExists(palm.pathOf(order[i], "Inbox")), listed) << order[i];
    created += fileExists(palm.pathOf(order[i], "Inbox")) ? 1 : 0;
  }
  EXPECT_EQ(created, 25);
  EXPECT_EQ(statuses.size(), 25u);
}

TEST_F(UserScanTest, AUserWhosePathsWouldNotFitTheirFieldsIsLeftOut) {
  setText(keys.pilotDesktop + "\\Core\\Path", palm.path());
  // installPath = Palm folder, separator, folder, separator, "Install".
  const std::size_t fits = 99 - palm.path().size() - 2 - 7;
  ASSERT_GT(fits, 2u) << "the test folder's path is too long for this test";
  const std::string longest(fits, 'F');
  const std::string tooLong(fits + 1, 'T');
  palm.addFolder(longest, {"backup"});
  palm.addFolder(tooLong, {"backup"});

  PalmUserList users;
  EXPECT_EQ(scan(users, keys), 0);
  ASSERT_EQ(users.userCount, 1);
  EXPECT_EQ(std::string(users.entries[0].installPath), palm.pathOf(longest, "Install"));
  EXPECT_EQ(std::string(users.entries[0].installPath).size(), 99u);
  EXPECT_TRUE(fileExists(palm.pathOf(longest, "Install")));
  EXPECT_EQ(skipped, std::vector<std::string>{tooLong});
  EXPECT_FALSE(fileExists(palm.pathOf(tooLong, "Install")));
}


}  // namespace

}  // namespace quillet

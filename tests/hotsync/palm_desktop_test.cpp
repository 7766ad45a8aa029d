// The user scan, the install run and the install flag, over a registry and a Palm folder
// of the test's own, with a display that records what it is asked to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "hotsync/install_flag.h"
#include "hotsync/install_run.h"
#include "hotsync/user_scan.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;

struct Keys {  // Palm Desktop's, below the test's own key
  std::string pilot, palm;
  PalmDesktopKeys get() const { return {pilot.c_str(), palm.c_str()}; }
};

class PalmDesktopTest : public testing::Test {
 protected:
  PalmDesktopTest() {
    setFieldText(users.palmFolder, palm.path());
    setFieldText(users.installFolderName, "Install");
    request.keys = keys.get();
    const auto say = [this](std::string event) { events.push_back(std::move(event)); };
    install.open = [this, say] { return say("create"), displayOpens; };
    install.setBarRange = [say](std::uint16_t upper) { say("range " + std::to_string(upper)); };
    install.setBarStep = [say](int step) { say("step size " + std::to_string(step)); };
    install.show = [say] { say("show"); };
    install.stepBar = [say] { say("step"); };
    install.showStatus = [say](const char* text) { say(std::string("status ") + text); };
    install.pump = [say] { say("pump"); };
    install.pause = [say](unsigned ms) { say("pause " + std::to_string(ms)); };
    install.copyFailed = [this](const FailedCopy& copy) {
      failures.push_back({copy.to, copy.problem});
    };
    // As the application does: the user matched is stored as the last one installed to.
    install.userMatched = [this](int user) {
      rememberHotsyncUser(options, fieldText(users.entries[user].userName), settingsKey.c_str());
    };
  }

  // A user folder with its install and backup folders, and the user's users.dat record.
  void addUser(const char* displayName, const char* folder, std::int16_t number) {
    palm.addFolder(folder, {"Install", "backup"});
    PalmUser& user = users.entries[users.userCount++];
    setFieldText(user.userName, displayName);
    setFieldText(user.installPath, palm.pathOf(folder, "Install"));
    setFieldText(user.backupPath, palm.pathOf(folder, "backup"));
    palm.writeUsersDat(usersDat = concat({usersDat, usersDatRecord(number, displayName, folder)}));
  }

  std::string addDocument(const std::string& name, const Bytes& bytes, bool temporary = false) {
    writeFile(dir.file(name), bytes);
    request.files.push_back(dir.file(name));
    if (temporary) request.temporaryDocument = dir.file(name);
    return dir.file(name);
  }

  int run() {  // the number of names matched, or -1 when the display could not be made
    report = runInstall(users, request, install);
    return report.displayMissing ? -1 : report.matchedNames;
  }

  // The install flag of a HotSync number: "set" when it is the DWORD 1, else what it is.
  std::string flag(const std::string& number) const {
    std::uint32_t type = 0;
    Bytes data;
    if (!queryValueAt(keys.pilot + "\\HotSync Manager\\Install" + number, type, data))
      return "none";
    return type == kRegDword && hexOf(data) == "01 00 00 00" ? "set" : hexOf(data);
  }

  std::string storedHotsyncName() const {
    std::uint32_t type = 0;
    Bytes data;
    if (!queryValueAt(settingsKey + "\\options_hotsync_name", type, data)) return "<none>";
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(data.size(), 50u);
    return std::string(fieldText(reinterpret_cast<const char*>(data.data()), data.size()));
  }

  std::size_t count(std::string_view event) const {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
  }

  Keys keysBelow(const std::string& name) const {
    return {registry.path(name + "\\U.S. Robotics\\Pilot Desktop"),
            registry.path(name + "\\3Com\\Palm Desktop")};
  }

  void setText(const std::string& path, std::string_view text) {
    const std::string value(text);
    const auto size = static_cast<std::uint32_t>(value.size() + 1);
    ASSERT_EQ(writeSetting(path.c_str(), value.c_str(), size, kRegSz), 0) << path;
  }

  void setConduit(const Keys& where, int number, std::string_view module, std::string_view folder) {
    const std::string key =
        where.pilot + "\\HotSync Manager\\InstallConduit" + std::to_string(number);
    setText(key + "\\Module", module);
    if (!folder.empty()) setText(key + "\\Directory", folder);
  }

  // Scans as the splash does, into the display's events; -1 when there is no Palm folder.
  int scan(PalmUserList& found, const Keys& where, bool createInstallFolders = true) {
    const ScanOptions scanning{install.showStatus, install.pause, createInstallFolders,
                               [this](std::string_view name) { skipped.emplace_back(name); },
                               where.get()};
    return scanPalmUsers(found, scanning) == PalmScan::kScanned ? 0 : -1;
  }

  // The user folders among the Palm folder's entries, in the order the search returns them.
  Strings searchOrder(const Strings& userFolders) const {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(listDirectory(palm.path().c_str(), entries));
    Strings order;
    for (const DirectoryEntry& entry : entries) {
      if (std::count(userFolders.begin(), userFolders.end(), entry.name))
        order.push_back(entry.name);
    }
    return order;
  }

  ScopedTestRegistry registry;
  Keys keys = keysBelow("Main");
  std::string settingsKey = registry.path("Quillet");
  TempDir dir;
  FakePalmFolder palm{dir.file("Palm")};
  Bytes usersDat = bytesOf("Palm users file");
  PalmUserList users;
  AppOptions options;
  InstallRequest request;
  InstallDisplay install;
  InstallReport report;
  bool displayOpens = true;
  Strings events, skipped;
  std::vector<std::pair<std::string, CopyProblem>> failures;
};

TEST_F(PalmDesktopTest, ThePalmFolderComesFromPilotDesktopElsePalmDesktopElseNoUsersAreListed) {
  palm.addFolder("SmithA", {"Install"});
  PalmUserList found;
  found.userCount = 3;
  EXPECT_EQ(scan(found, keys), -1);
  EXPECT_EQ(found.userCount, 0);
  EXPECT_TRUE(events.empty());
  // Values that name no usable folder count as missing: an empty one, and one that fills
  // all 512 bytes of the field without ending.
  setText(keys.pilot + "\\Core\\Path", "");
  const std::string unended(512, 'P');
  ASSERT_EQ(writeSetting((keys.palm + "\\Core\\Path").c_str(), unended.data(), 512, kRegBinary), 0);
  EXPECT_EQ(scan(found, keys), -1);

  setText(keys.palm + "\\Core\\Path", palm.path());
  EXPECT_EQ(scan(found, keys), 0);
  EXPECT_EQ(std::string(found.palmFolder), palm.path());
  EXPECT_EQ(found.userCount, 1);
  setText(keys.pilot + "\\Core\\Path", dir.file("Missing"));
  EXPECT_EQ(scan(found, keys), 0);  // a folder that cannot be searched holds no users
  EXPECT_EQ(std::string(found.palmFolder), dir.file("Missing"));
  EXPECT_EQ(found.userCount, 0);
}

TEST_F(PalmDesktopTest, TheFirstInstallConduitNamesTheInstallFolder) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> conduits;  // module, directory
    const char* expected;
  } cases[] = {
      {"first", {{"inscn20.dll", "Inbox"}, {"inscn20.dll", "Other"}}, "Inbox"},
      {"capital", {{"Inscn20.dll", "Inbox"}, {"inscn20.dll", "Other"}}, "Other"},
      {"short", {{"insc", "Inbox"}, {"inscn", "Other"}}, "Other"},
      {"no directory", {{"inscn20.dll", ""}, {"inscn20.dll", "Other"}}, "Other"},
      {"other module", {{"backup.dll", "Inbox"}}, "Install"},
      {"none", {}, "Install"},
  };
  for (const auto& test : cases) {
    const Keys caseKeys = keysBelow(test.name);
    setText(caseKeys.pilot + "\\Core\\Path", palm.path());
    int number = 1;
    for (const auto& [module, folder] : test.conduits)
      setConduit(caseKeys, number++, module, folder);
    PalmUserList found;
    EXPECT_EQ(scan(found, caseKeys, false), 0);
    EXPECT_EQ(std::string(found.installFolderName), test.expected) << test.name;
  }
}

TEST_F(PalmDesktopTest, UsersAreFoldersHoldingTheInstallFolderOrBackup) {
  setText(keys.pilot + "\\Core\\Path", palm.path());
  palm.addFolder("SmithA", {"Install"});
  palm.addFolder("JonesB", {"backup"});
  palm.addFolder("Graphics", {"other"});
  palm.addFolder("Plain", {});
  palm.addFolder("FileOnly", {});
  writeFile(palm.pathOf("FileOnly", "backup"), "a file named backup counts as well");
  writeFile(palm.pathOf("notes.txt"), "not a folder");
  palm.writeUsersDat(usersDatRecord(3, "Ann Smith", "SmithA"));
  PalmUserList found;
  EXPECT_EQ(scan(found, keys, false), 0);  // listing without creating: nothing new appears
  EXPECT_EQ(found.userCount, 3);
  EXPECT_FALSE(fileExists(palm.pathOf("JonesB", "Install")));

  events.clear();
  EXPECT_EQ(scan(found, keys), 0);
  const Strings order = searchOrder({"SmithA", "JonesB", "FileOnly"});
  ASSERT_EQ(found.userCount, 3);
  Strings expectedEvents;
  for (int i = 0; i < 3; ++i) {
    const std::string name = order[i] == "SmithA" ? "Ann Smith" : order[i];
    EXPECT_EQ(std::string(found.entries[i].userName), name);
    EXPECT_EQ(std::string(found.entries[i].installPath), palm.pathOf(order[i], "Install"));
    EXPECT_EQ(std::string(found.entries[i].backupPath), palm.pathOf(order[i], "backup"));
    expectedEvents.insert(expectedEvents.end(), {"status Found user '" + name + "'", "pause 100"});
  }
  EXPECT_EQ(events, expectedEvents);
  // The install folder of a user with only "backup" is made; other folders are left alone.
  EXPECT_TRUE(fileExists(palm.pathOf("JonesB", "Install")));
  EXPECT_EQ(countEntries(palm.pathOf("Graphics")), 1u);
  EXPECT_EQ(countEntries(palm.pathOf("Plain")), 0u);
}

TEST_F(PalmDesktopTest, TheFirstTwentyFiveUsersTheSearchReturnsAreListed) {
  setText(keys.pilot + "\\Core\\Path", palm.path());
  setConduit(keys, 1, "inscn20.dll", "Inbox");
  Strings names;
  for (int i = 0; i < 30; ++i)
    palm.addFolder(names.emplace_back("User" + std::to_string(i)), {"backup"});
  PalmUserList found;
  EXPECT_EQ(scan(found, keys), 0);
  ASSERT_EQ(found.userCount, 25);
  const Strings order = searchOrder(names);
  for (int i = 0; i < 30; ++i) {
    if (i < 25) {
      EXPECT_EQ(std::string(found.entries[i].userName), order[i]);
    }
    EXPECT_EQ(fileExists(palm.pathOf(order[i], "Inbox")), i < 25) << order[i];
  }
  EXPECT_EQ(events.size(), 50u);  // a status and a pause for each user listed
}

TEST_F(PalmDesktopTest, AUserWhosePathsWouldNotFitTheirFieldsIsLeftOut) {
  setText(keys.pilot + "\\Core\\Path", palm.path());
  // installPath = Palm folder, separator, folder, separator, "Install": 99 bytes at most.
  const std::size_t fits = 99 - palm.path().size() - 2 - 7;
  ASSERT_GT(fits, 2u) << "the test folder's path is too long for this test";
  const std::string longest(fits, 'F'), tooLong(fits + 1, 'T');
  palm.addFolder(longest, {"backup"});
  palm.addFolder(tooLong, {"backup"});
  PalmUserList found;
  EXPECT_EQ(scan(found, keys), 0);
  ASSERT_EQ(found.userCount, 1);
  EXPECT_EQ(std::string(found.entries[0].installPath), palm.pathOf(longest, "Install"));
  EXPECT_TRUE(fileExists(palm.pathOf(longest, "Install")));
  EXPECT_EQ(skipped, Strings{tooLong});
  EXPECT_FALSE(fileExists(palm.pathOf(tooLong, "Install")));
}

TEST_F(PalmDesktopTest, TheUserNameLookupCutsLongNamesAndFallsBackToTheFolderName) {
  PalmUser entry;
  std::memset(entry.userName, '#', sizeof entry.userName);
  lookupUserName(palm.path().c_str(), entry, "NoFile");  // no users.dat yet
  EXPECT_STREQ(entry.userName, "NoFile");
  usersDat = concat({bytesOf("header.."), usersDatRecord(1, std::string(60, 'L'), "Long"),
                     usersDatRecord(2, "", "Empty")});
  palm.writeUsersDat(usersDat);
  for (const auto& [folder, name] :
       {std::pair<std::string, std::string>{"Long", std::string(49, 'L')},
        {"Empty", "Empty"},
        {std::string(70, 'F'), std::string(49, 'F')}}) {
    lookupUserName(palm.path().c_str(), entry, folder);
    EXPECT_EQ(std::string(entry.userName), name);
  }
}

TEST_F(PalmDesktopTest, InstallsTheTemporaryDocumentForOneUserAndDeletesIt) {
  addUser("Bob Jones", "JonesB", 3);
  addUser("Ann Smith", "SmithA", 7);
  const Bytes document = installableDatabase("My Book: Part 1", 0x0008, "the book's records");
  const std::string built = addDocument("tempdoc2.$$$", document, true);
  request.files[0] += " \r\n";  // trimmed before use, and reported trimmed
  request.userNames = {"ann smith"};
  std::string storedAtFirstStatus;  // hotsyncName is stored before the copies are made
  install.showStatus = [&, recordStatus = install.showStatus](const char* text) {
    if (storedAtFirstStatus.empty()) storedAtFirstStatus = storedHotsyncName();
    recordStatus(text);
  };

  EXPECT_EQ(run(), 1);
  const std::string target =
      palm.pathOf("SmithA", "Install") + kPathSeparator + "My_Book__Part_1.pdb";
  EXPECT_EQ(events, (Strings{"create", "range 2", "step size 1", "show", "pump",
                             "status Installing 'My Book: Part 1' to user 'Ann Smith'\n\n(" +
                                 target + ")...",
                             "step", "step", "pause 200", "status Done"}));
  EXPECT_EQ(readFile(target), document);
  EXPECT_EQ(readFile(palm.pathOf("SmithA", "backup") + kPathSeparator + "My_Book__Part_1.pdb"),
            document);
  EXPECT_EQ(countEntries(palm.pathOf("JonesB", "Install")), 0u);
  EXPECT_EQ(storedAtFirstStatus, "Ann Smith");
  EXPECT_EQ(std::string(options.hotsyncName), "Ann Smith");
  EXPECT_EQ(flag("7") + flag("3"), "setnone");
  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(report.files, Strings{built});
  EXPECT_EQ(report.lastUser, 1);
  EXPECT_TRUE(failures.empty());
}

TEST_F(PalmDesktopTest, NamesMatchWithAsciiCaseFoldedAndEachMatchInstallsAgain) {
  addUser("Bob", "JonesB", 3);
  addUser("Ann", "SmithA", 7);
  addUser("ANN", "SmithB", 8);
  addUser("\xC9mile", "Emile", 9);
  const std::string saved = addDocument("saved.pdb", installableDatabase("Saved", 0));
  request.userNames = {"aNN", "\xE9mile", "BOB", "bobby", "An", "ann"};

  EXPECT_EQ(run(), 3);
  Strings installedFor;
  for (const std::string& event : events) {
    const std::size_t at = event.find("' to user '");
    if (at != std::string::npos)
      installedFor.push_back(event.substr(at + 11, event.find('\'', at + 11) - at - 11));
  }
  EXPECT_EQ(installedFor, (Strings{"Ann", "Bob", "Ann"}));
  EXPECT_EQ(count("range 2"), 1u);  // the bar is full after the first user; it is stepped on
  EXPECT_EQ(count("step"), 6u);
  EXPECT_EQ(report.lastUser, 1);
  EXPECT_EQ(storedHotsyncName(), "Ann");
  EXPECT_EQ(flag("7") + flag("3") + flag("8") + flag("9"), "setsetnonenone");
  EXPECT_EQ(countEntries(palm.pathOf("SmithB", "Install")), 0u);
  EXPECT_TRUE(fileExists(saved));  // no temporary document: the document is the user's
}

TEST_F(PalmDesktopTest, WithNoDisplayOrNoNameMatchingNothingIsInstalled) {
  addUser("Ann Smith", "SmithA", 7);
  const std::string built = addDocument("tempdoc2.$$$", installableDatabase("Book", 0), true);
  request.userNames = {"Ann Smith"};
  displayOpens = false;
  EXPECT_EQ(run(), -1);  // the run does nothing at all, and the document stays
  EXPECT_EQ(events, Strings{"create"});
  EXPECT_TRUE(fileExists(built));
  request.userNames = {"Ann", ""};
  displayOpens = true;
  EXPECT_EQ(run(), 0);  // the temporary document is deleted all the same
  EXPECT_EQ(report.lastUser, -1);
  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(count("step"), 0u);
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(storedHotsyncName(), "<none>");
  EXPECT_EQ(flag("7"), "none");
}

TEST_F(PalmDesktopTest, EachDocumentIsNamedByItsHeaderOrElseItsPath) {
  addUser("Ann Smith", "SmithA", 7);
  const std::string installFolder = palm.pathOf("SmithA", "Install");
  const std::string backupFolder = palm.pathOf("SmithA", "backup");
  const auto inInstall = [&](const char* name) { return installFolder + kPathSeparator + name; };
  const Bytes game = installableDatabase("Game", 0x0001, "resources");
  addDocument("game.pdb", game);
  addDocument("tiny.PRC", bytesOf("too short"));
  request.files.push_back(dir.file("missing.pdb"));
  addDocument("unnamed.pdb", installableDatabase("", 0, "no name"));
  writeFile(inInstall("Game.prc"), "an older copy");
  request.userNames = {"Ann Smith"};

  EXPECT_EQ(run(), 1);
  for (const auto& [event, times] : std::vector<std::pair<std::string, std::size_t>>{
           {"range 8", 1}, {"step", 8}, {"pause 200", 4}, {"status Done", 4}, {"pump", 4}})
    EXPECT_EQ(count(event), times) << event;
  EXPECT_EQ(readFile(inInstall("Game.prc")), game);  // replaced
  EXPECT_EQ(readFile(inInstall("tiny.prc")), bytesOf("too short"));
  EXPECT_EQ(countEntries(installFolder), 2u);
  EXPECT_EQ(countEntries(backupFolder), 2u);
  // The missing document's copies fail; the unnamed one's would target the folders.
  EXPECT_EQ(failures, (std::vector<std::pair<std::string, CopyProblem>>{
                          {inInstall("missing.pdb"), CopyProblem::kCopyFailed},
                          {backupFolder + kPathSeparator + "missing.pdb", CopyProblem::kCopyFailed},
                          {installFolder, CopyProblem::kNoDatabaseName},
                          {backupFolder, CopyProblem::kNoDatabaseName}}));
  EXPECT_EQ(count("status Installing '' to user 'Ann Smith'\n\n(" + installFolder + ")..."), 1u);
  EXPECT_EQ(flag("7"), "set");
}

TEST_F(PalmDesktopTest, ATargetTooLongIsNotCopiedAndTheStatusIsCut) {
  addUser("Ann Smith", "SmithA", 7);
  // A relative path to no file: its 250-character base name is the database name.
  const std::string longName(250, 'n');
  request.files.push_back(longName + ".pdb");
  request.userNames = {"Ann Smith"};
  EXPECT_EQ(run(), 1);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], std::make_pair(std::string(), CopyProblem::kTargetTooLong));
  EXPECT_EQ(failures[1].second, CopyProblem::kTargetTooLong);
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[5], ("status Installing '" + longName + "' to user 'Ann Smith'").substr(0, 262));
}

TEST_F(PalmDesktopTest, TheFlagIsTheFirstRecordsNumberUnderHotSyncManager) {
  addUser("Ann Smith", "SmithA", 7);
  addUser("Bob", "JonesB", -2);
  addUser("Carla", "CarlaC", 4);
  // A later record of Ann counts less than the first.
  palm.writeUsersDat(concat({usersDat, usersDatRecord(12, "Ann Smith", "SmithA2")}));
  EXPECT_EQ(markUserForInstall(users, "Ann Smith", request.keys), 0);
  EXPECT_EQ(markUserForInstall(users, "Bob", request.keys), 0);
  EXPECT_EQ(flag("7") + flag("12") + flag("-2"), "setnoneset");
  // Not in the list exactly, not in users.dat with its length byte, no users.dat.
  EXPECT_EQ(markUserForInstall(users, "bob", request.keys), -1);
  palm.writeUsersDat(bytesOf(std::string("Palm users file\x04\x00\x5A\x00\x06", 20) + "Carla"));
  EXPECT_EQ(markUserForInstall(users, "Carla", request.keys), -1);
  EXPECT_EQ(flag("4"), "none");
  std::remove(palm.pathOf("users.dat").c_str());
  EXPECT_EQ(markUserForInstall(users, "Ann Smith", request.keys), -1);
}

}  // namespace
}  // namespace quillet

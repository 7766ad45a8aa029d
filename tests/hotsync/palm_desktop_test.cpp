// The install run and the install flag, over a registry and a Palm folder of the test's
// own, with a progress display that records what it is asked to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "settings/app_options.h"
#include "base/paths.h"
#include "hotsync/install_flag.h"
#include "hotsync/install_run.h"
#include "platform/registry.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class InstallRunTest : public testing::Test {
 protected:
  InstallRunTest() {
    setFieldText(users.palmFolder, palm.path());
    setFieldText(users.installFolderName, "Install");
    request.keys = {pilotDesktop.c_str(), palmDesktop.c_str()};
    install.open = [this] {
      events.emplace_back("create");
      return displayOpens;
    };
    install.setBarRange = [this](std::uint16_t upper) {
      events.push_back("range " + std::to_string(upper));
    };
    install.setBarStep = [this](int step) {
      events.push_back("step size " + std::to_string(step));
    };
    install.show = [this] { events.emplace_back("show"); };
    install.stepBar = [this] { events.emplace_back("step"); };
    install.showStatus = [this](const char* text) {
      events.push_back(std::string("status ") + text);
    };
    install.pump = [this] { events.emplace_back("pump"); };
    install.pause = [this](unsigned ms) { events.push_back("pause " + std::to_string(ms)); };
    install.copyFailed = [this](const FailedCopy& copy) {
      failures.push_back({std::string(copy.to), copy.problem});
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
    usersDat = concat({usersDat, usersDatRecord(number, displayName, folder)});
    palm.writeUsersDat(usersDat);
  }

  void chooseUsers(std::initializer_list<const char*> names) {
    for (const char* name : names) request.userNames.emplace_back(name);
  }

  std::string addDocument(const std::string& path, const Bytes& bytes) {
    writeFile(path, bytes);
    request.files.push_back(path);
    return path;
  }

  // The number of names matched, or -1 when the display could not be made.
  int run() {
    report = runInstall(users, request, install);
    return report.displayMissing ? -1 : report.matchedNames;
  }

  std::string flagPath(int number) const {
    return pilotDesktop + "\\HotSync Manager\\Install" + std::to_string(number);
  }

  bool hasValue(const std::string& path) const {
    std::uint32_t type = 0;
    Bytes data;
    return queryValueAt(path, type, data);
  }

  std::string storedHotsyncName() const {
    std::uint32_t type = 0;
    Bytes data;
    if (!queryValueAt(settingsKey + "\\options_hotsync_name", type, data)) return "<none>";
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(data.size(), 50u);
    return std::string(fieldText(reinterpret_cast<const char*>(data.data()), data.size()));
  }

  std::size_t countEvents(std::string_view event) const {
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
  }

  ScopedTestRegistry registry;
  std::string pilotDesktop = registry.path("U.S. Robotics\\Pilot Desktop");
  std::string palmDesktop = registry.path("3Com\\Palm Desktop");
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
  std::vector<std::string> events;
  std::vector<std::pair<std::string, CopyProblem>> failures;
};

TEST_F(InstallRunTest, InstallsTheTemporaryDocumentForOneUserAndDeletesIt) {
  addUser("Bob Jones", "JonesB", 3);
  addUser("Ann Smith", "SmithA", 7);
  const Bytes document = installableDatabase("My Book: Part 1", 0x0008, "the book's records");
  const std::string built = addDocument(dir.file("tempdoc2.$$$"), document);
  request.files[0] += " \r\n";  // trimmed before use, and reported trimmed
  request.temporaryDocument = built;
  chooseUsers({"ann smith"});
  // hotsyncName is stored before the copies are made.
  std::string storedAtFirstStatus;
  const auto recordStatus = install.showStatus;
  install.showStatus = [&](const char* text) {
    if (storedAtFirstStatus.empty()) storedAtFirstStatus = storedHotsyncName();
    recordStatus(text);
  };

  EXPECT_EQ(run(), 1);

  const std::string target =
      palm.pathOf("SmithA", "Install") + kPathSeparator + "My_Book__Part_1.pdb";
  const std::vector<std::string> expected = {
      "create",
      "range 2",
      "step size 1",
      "show",
      "pump",
      "status Installing 'My Book: Part 1' to user 'Ann Smith'\n\n(" + target + ")...",
      "step",
      "step",
      "pause 200",
      "status Done",
  };
  EXPECT_EQ(events, expected);
  EXPECT_EQ(readFile(target), document);
  EXPECT_EQ(readFile(palm.pathOf("SmithA", "backup") + kPathSeparator + "My_Book__Part_1.pdb"),
            document);
  EXPECT_EQ(countEntries(palm.pathOf("JonesB", "Install")), 0u);
  EXPECT_EQ(storedAtFirstStatus, "Ann Smith");
  EXPECT_EQ(std::string(options.hotsyncName), "Ann Smith");

  std::uint32_t type = 0;
  Bytes flag;
  ASSERT_TRUE(queryValueAt(flagPath(7), type, flag));
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(flag, hexBytes("01 00 00 00"));
  EXPECT_FALSE(hasValue(flagPath(3)));

  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(report.files, std::vector<std::string>{built});
  EXPECT_EQ(report.lastUser, 1);
  EXPECT_TRUE(failures.empty());
}

TEST_F(InstallRunTest, NamesMatchWithAsciiCaseFoldedAndEachMatchInstallsAgain) {
  addUser("Bob", "JonesB", 3);
  addUser("Ann", "SmithA", 7);
  addUser("ANN", "SmithB", 8);
  addUser("\xC9mile", "Emile", 9);
  const std::string saved = addDocument(dir.file("saved.pdb"), installableDatabase("Saved", 0));
  chooseUsers({"aNN", "\xE9mile", "BOB", "bobby", "An", "ann"});

  EXPECT_EQ(run(), 3);

  std::vector<std::string> installedFor;
  for (const std::string& event : events) {
    const std::size_t at = event.find("' to user '");
    if (at != std::string::npos)
      installedFor.push_back(event.substr(at + 11, event.find('\'', at + 11) - at - 11));
  }
  EXPECT_EQ(installedFor, (std::vector<std::string>{"Ann", "Bob", "Ann"}));
  // The bar is full after the first user; it is stepped on, not widened.
  EXPECT_EQ(countEvents("range 2"), 1u);
  EXPECT_EQ(countEvents("step"), 6u);
  EXPECT_EQ(report.lastUser, 1);
  EXPECT_EQ(storedHotsyncName(), "Ann");
  EXPECT_TRUE(hasValue(flagPath(7)));
  EXPECT_TRUE(hasValue(flagPath(3)));
  EXPECT_FALSE(hasValue(flagPath(8)));
  EXPECT_FALSE(hasValue(flagPath(9)));
  EXPECT_EQ(countEntries(palm.pathOf("SmithB", "Install")), 0u);
  EXPECT_TRUE(fileExists(saved));  // no temporary document: the document is the user's
}

TEST_F(InstallRunTest, WhenNoNameMatchesItStillDeletesTheTemporaryDocument) {
  addUser("Ann Smith", "SmithA", 7);
  const std::string built = addDocument(dir.file("tempdoc2.$$$"), installableDatabase("Book", 0));
  request.temporaryDocument = built;
  chooseUsers({"Ann", ""});

  EXPECT_EQ(run(), 0);
  EXPECT_EQ(report.lastUser, -1);
  EXPECT_FALSE(fileExists(built));
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(storedHotsyncName(), "<none>");
  EXPECT_FALSE(hasValue(flagPath(7)));
  EXPECT_EQ(countEvents("step"), 0u);
}

TEST_F(InstallRunTest, WithoutItsProgressDisplayTheRunDoesNothing) {
  addUser("Ann Smith", "SmithA", 7);
  const std::string built = addDocument(dir.file("tempdoc2.$$$"), installableDatabase("Book", 0));
  request.temporaryDocument = built;
  chooseUsers({"Ann Smith"});
  displayOpens = false;

  EXPECT_EQ(run(), -1);
  EXPECT_EQ(events, (std::vector<std::string>{"create"}));
  EXPECT_TRUE(fileExists(built));
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "Install")), 0u);
  EXPECT_EQ(storedHotsyncName(), "<none>");
}

TEST_F(InstallRunTest, EachDocumentIsNamedByItsHeaderOrElseItsPath) {
  addUser("Ann Smith", "SmithA", 7);
  const std::string installFolder = palm.pathOf("SmithA", "Install");
  const auto inInstall = [&](const char* name) { return installFolder + kPathSeparator + name; };
  const Bytes game = installableDatabase("Game", 0x0001, "resources");
  addDocument(dir.file("game.pdb"), game);
  addDocument(dir.file("tiny.PRC"), bytesOf("too short"));
  request.files.push_back(dir.file("missing.pdb"));
  addDocument(dir.file("unnamed.pdb"), installableDatabase("", 0, "no name"));
  writeFile(inInstall("Game.prc"), "an older copy");
  chooseUsers({"Ann Smith"});

  EXPECT_EQ(run(), 1);
  EXPECT_EQ(countEvents("range 8"), 1u);
  EXPECT_EQ(countEvents("step"), 8u);
  EXPECT_EQ(countEvents("pause 200"), 4u);
  EXPECT_EQ(countEvents("status Done"), 4u);
  EXPECT_EQ(countEvents("pump"), 4u);
  EXPECT_EQ(readFile(inInstall("Game.prc")), game);  // replaced
  EXPECT_EQ(textOf(readFile(inInstall("tiny.prc"))), "too short");
  EXPECT_EQ(countEntries(installFolder), 2u);
  EXPECT_EQ(countEntries(palm.pathOf("SmithA", "backup")), 2u);
  // The missing document's copies fail; the unnamed one's would target the folders.
  const std::vector<std::pair<std::string, CopyProblem>> expectedFailures = {
      {inInstall("missing.pdb"), CopyProblem::kCopyFailed},
      {palm.pathOf("SmithA", "backup") + kPathSeparator + "missing.pdb", CopyProblem::kCopyFailed},
      {installFolder, CopyProblem::kNoDatabaseName},
      {palm.pathOf("SmithA", "backup"), CopyProblem::kNoDatabaseName},
  };
  EXPECT_EQ(failures, expectedFailures);
  EXPECT_EQ(countEvents("status Installing '' to user 'Ann Smith'\n\n(" + installFolder + ")..."),
            1u);
  EXPECT_TRUE(hasValue(flagPath(7)));
}

TEST_F(InstallRunTest, ATargetTooLongIsNotCopiedAndTheStatusIsCut) {
  addUser("Ann Smith", "SmithA", 7);
  // A relative path to no file: its 250-character base name is the database name.
  const std::string longName(250, 'n');
  request.files.push_back(longName + ".pdb");
  chooseUsers({"Ann Smith"});

  EXPECT_EQ(run(), 1);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], std::make_pair(std::string(), CopyProblem::kTargetTooLong));
  EXPECT_EQ(failures[1].second, CopyProblem::kTargetTooLong);
  const std::string status = "status Installing '" + longName + "' to user 'Ann Smith'\n\n()...";
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[5], status.substr(0, 7 + 255));
  EXPECT_EQ(installStatusText("Book", "Ann", "t"), "Installing 'Book' to user 'Ann'\n\n(t)...");
}

TEST_F(InstallRunTest, TheFlagIsTheFirstRecordsNumberUnderHotSyncManager) {
  addUser("Ann Smith", "SmithA", 7);
  addUser("Bob", "JonesB", -2);
  addUser("Carla", "CarlaC", 4);
  // A later record of Ann counts less than the first; Carla's only other occurrence lacks
  // its length byte.
  usersDat = concat({usersDat, usersDatRecord(12, "Ann Smith", "SmithA2")});
  palm.writeUsersDat(usersDat);
  EXPECT_EQ(markUserForInstall(users, "Ann Smith", request.keys), 0);
  EXPECT_TRUE(hasValue(flagPath(7)));
  EXPECT_FALSE(hasValue(flagPath(12)));
  EXPECT_EQ(markUserForInstall(users, "Bob", request.keys), 0);
  EXPECT_TRUE(hasValue(pilotDesktop + "\\HotSync Manager\\Install-2"));

  // Not in the list exactly, not in users.dat with its length byte, no users.dat.
  EXPECT_EQ(markUserForInstall(users, "bob", request.keys), -1);
  palm.writeUsersDat(concat(
      {bytesOf("Palm users file"), bytesOf(std::string("\x04\x00\x5A\x00\x06", 5) + "Carla")}));
  EXPECT_EQ(markUserForInstall(users, "Carla", request.keys), -1);
  EXPECT_FALSE(hasValue(flagPath(4)));
  std::remove(palm.pathOf("users.dat").c_str());
  EXPECT_EQ(markUserForInstall(users, "Ann Smith", request.keys), -1);
}

TEST(HotsyncNumberTest, ANameTooNearTheStartHasNoNumberBeforeIt) {
  EXPECT_EQ(findHotsyncNumber(std::string("\x00\x00\x00\x03", 4) + "Ann", "Ann"), std::nullopt);
  EXPECT_EQ(findHotsyncNumber(std::string("\x34\x12\x00\x00\x03", 5) + "Ann", "Ann"), 0x1234);
  EXPECT_EQ(findHotsyncNumber("\x05\x05\x05\x05\x05\x05\x05", ""), std::nullopt);
}

}  // namespace

}  // namespace quillet

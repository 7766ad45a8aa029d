// quillet-maker.exe started under Wine against a faked Palm Desktop: the splash, the user
// scan and its messages, as its user sees them, up to the options dialog that follows.
// quillet.exe users lists what the same scan finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "platform/files.h"
#include "tests/gui/palm_desktop_setup.h"
#include "tests/gui/scripted_user.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace scripted_user;
using testing_support::Bytes;
using testing_support::bytesOf;
using testing_support::concat;
using testing_support::fileExists;
using testing_support::isSubsequence;
using testing_support::usersDatRecord;

constexpr char kSplashTitle[] = "Quillet Maker";
constexpr char kOptionsTitle[] = "Quillet Maker - Options";

// The statuses the splash shows until "Done", each once. The program shows each for at
// least 100 ms, and looks every few ms are enough to see them.
std::vector<std::string> statusesUntilDone(HWND splash) {
  std::vector<std::string> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
  while (std::chrono::steady_clock::now() < deadline && (seen.empty() || seen.back() != "Done")) {
    const std::string status = storedText(GetDlgItem(splash, IDC_SCAN_STATUS));
    if (!status.empty() && (seen.empty() || seen.back() != status)) seen.push_back(status);
    Sleep(2);
  }
  return seen;
}

class QuilletMakerTest : public testing::Test {
 protected:
  ScopedPalmDesktop desktop_;
};

TEST_F(QuilletMakerTest, FindsTheUsersBehindTheSplashThenShowsTheOptionsAfterThePause) {
  testing_support::FakePalmFolder& palm = desktop_.palm();
  palm.addFolder("SmithA", {"Inbox"});
  palm.addFolder("JonesB", {"backup"});
  palm.addFolder("Graphics", {"Help"});
  // Decoys: an older record of SmithA before the one that counts, and JonesB's name
  // without its length byte in front (so JonesB is shown under the folder name).
  palm.writeUsersDat(concat({bytesOf("Palm users file"), usersDatRecord(1, "Old Name", "SmithA"),
                             usersDatRecord(2, "Ann Smith", "SmithA"),
                             bytesOf(std::string("\0\x05"
                                                 "Bobby\x09"
                                                 "JonesB",
                                                 14))}));
  ASSERT_TRUE(desktop_.importStandardValues("Inbox"));

  LaunchedProgram maker(QUILLET_MAKER_EXE, "");
  ASSERT_TRUE(maker.started());
  HWND splash = waitForWindow(maker.processId(), kSplashTitle);
  ASSERT_NE(splash, nullptr);
  const std::vector<std::string> seen = statusesUntilDone(splash);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "Done");

  // The users in the order the folder search returns their folders.
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(listDirectory(palm.path().c_str(), entries));
  std::vector<std::string> expected;
  for (const DirectoryEntry& entry : entries) {
    if (entry.name == "SmithA") expected.push_back("Found user 'Ann Smith'");
    if (entry.name == "JonesB") expected.push_back("Found user 'JonesB'");
  }
  expected.push_back("Done");
  EXPECT_TRUE(isSubsequence(seen, expected)) << testing::PrintToString(seen);

  // The splash stays up 2 s after "Done"; then the options dialog takes its place.
  const auto done = std::chrono::steady_clock::now();
  HWND options = waitForWindow(maker.processId(), kOptionsTitle);
  ASSERT_NE(options, nullptr);
  EXPECT_GE(std::chrono::steady_clock::now() - done, std::chrono::milliseconds(1500));
  EXPECT_EQ(shownWindows(maker.processId()), std::vector<std::string>{kOptionsTitle});
  pressButton(options, IDC_SECOND_BUTTON);  // "E&xit"
  DWORD exitCode = 1;
  ASSERT_TRUE(maker.waitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(fileExists(palm.pathOf("JonesB", "Inbox")));
  EXPECT_FALSE(fileExists(palm.pathOf("Graphics", "Inbox")));

  const ProgramRun users = runProgram(QUILLET_CLI_EXE, "users");
  ASSERT_TRUE(users.finished);
  EXPECT_EQ(users.exitCode, 0u) << users.err;
  EXPECT_NE(users.out.find("Install folder:  Inbox\n"), std::string::npos) << users.out;
  EXPECT_NE(users.out.find("\nAnn Smith  " + palm.pathOf("SmithA", "Inbox")), std::string::npos)
      << users.out;
  EXPECT_NE(users.out.find("\nJonesB     " + palm.pathOf("JonesB", "Inbox")), std::string::npos)
      << users.out;
  EXPECT_EQ(users.out.find("Graphics"), std::string::npos) << users.out;
}

TEST_F(QuilletMakerTest, WithoutPalmDesktopItSaysSoAndStillFinishesTheScan) {
  LaunchedProgram maker(QUILLET_MAKER_EXE, "");
  ASSERT_TRUE(maker.started());
  SeenMessage message;
  ASSERT_TRUE(answerMessageBox(maker.processId(), "Registry Error", message));
  EXPECT_EQ(message.text, "Cannot locate a path to the Palm folder");
  EXPECT_FALSE(message.hasOwner);
  EXPECT_TRUE(message.okOnly);

  HWND splash = findWindow(maker.processId(), kSplashTitle);
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(waitForStoredText(splash, IDC_SCAN_STATUS, "Done"));
  // Closed through its title bar, the options dialog ends the program.
  HWND options = waitForWindow(maker.processId(), kOptionsTitle);
  ASSERT_NE(options, nullptr);
  closeWindow(options);
  DWORD exitCode = 1;
  ASSERT_TRUE(maker.waitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);

  const ProgramRun users = runProgram(QUILLET_CLI_EXE, "users");
  EXPECT_EQ(users.exitCode, 1u);
  EXPECT_EQ(users.err, "Registry Error: Cannot locate a path to the Palm folder\r\n");
}

}  // namespace

}  // namespace quillet

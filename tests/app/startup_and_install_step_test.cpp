// What the main flow does around the scan and the install run: the splash, the messages it
// shows and what it takes from the run's report. Over a registry of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/install_step.h"
#include "app/messages.h"
#include "app/startup_scan.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

using Told = std::vector<std::pair<std::string, std::string>>;

MessageSink recordInto(Told& told) {
  return [&told](std::string_view caption, std::string_view text) {
    told.emplace_back(caption, text);
  };
}

TEST(StartupScanTest, ShowsTheSplashScansAndEndsWithDone) {
  ScopedTestRegistry registry;
  const std::string pilotDesktop = registry.path("U.S. Robotics\\Pilot Desktop");
  const std::string palmDesktop = registry.path("3Com\\Palm Desktop");
  TempDir dir;
  FakePalmFolder palm{dir.file("Palm")};
  std::vector<std::string> statuses;
  std::vector<unsigned> pauses;
  Told told;
  int splashes = 0;
  int splash = 0;  // its address stands for the dialog
  FlowState flow;
  flow.advanceRequest = 3;
  ScanOptions options;
  options.keys = {pilotDesktop.c_str(), palmDesktop.c_str()};
  options.showStatus = [&](const char* text) { statuses.emplace_back(text); };
  options.pause = [&](unsigned milliseconds) { pauses.push_back(milliseconds); };
  PalmUserList users;

  const auto noSplash = [&] {
    ++splashes;
    return nullptr;
  };
  EXPECT_EQ(startupScan(users, flow, noSplash, options, recordInto(told)), -2);
  EXPECT_EQ(splashes, 1);
  EXPECT_TRUE(told.empty()) << "no scan without the splash";
  EXPECT_EQ(flow.currentDialog, nullptr);
  EXPECT_EQ(flow.advanceRequest, 3);

  const auto showSplash = [&]() -> DialogHandle { return &splash; };
  EXPECT_EQ(startupScan(users, flow, showSplash, options, recordInto(told)), 0);
  EXPECT_EQ(told, (Told{{"Registry Error", "Cannot locate a path to the Palm folder"}}));
  EXPECT_EQ(statuses, (std::vector<std::string>{"Done"}));

  const std::string path = palm.path();
  ASSERT_EQ(writeSetting((pilotDesktop + "\\Core\\Path").c_str(), path.c_str(),
                         static_cast<std::uint32_t>(path.size() + 1), kRegSz),
            0);
  palm.addFolder("SmithA", {"Install"});
  statuses.clear();
  pauses.clear();
  EXPECT_EQ(startupScan(users, flow, showSplash, options, recordInto(told)), 0);
  EXPECT_EQ(flow.currentDialog, &splash);
  EXPECT_EQ(flow.advanceRequest, 0);
  EXPECT_EQ(users.userCount, 1);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Found user 'SmithA'", "Done"}));
  EXPECT_EQ(pauses, (std::vector<unsigned>{100, 2000}));
  EXPECT_EQ(told.size(), 1u);
}

TEST(InstallStepTest, TheRequestComesFromTheSlotsAndTheReportGoesBackIntoThem) {
  FlowState flow;
  AppOptions options;
  ASSERT_TRUE(addInstallFile(flow, "/tmp/tempdoc2.$$$ \r\n"));
  ASSERT_TRUE(addCommandLineUser(flow, "ann"));
  ASSERT_TRUE(addCommandLineUser(flow, "bob"));
  setFieldText(options.outputPath, "/tmp/tempdoc2.$$$");
  InstallRequest request = installRequestFor(flow, options);
  EXPECT_EQ(request.files, std::vector<std::string>{"/tmp/tempdoc2.$$$ \r\n"});
  EXPECT_EQ(request.userNames, (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(request.temporaryDocument, "/tmp/tempdoc2.$$$");
  options.saveToFile = 1;  // the document is the user's own: it stays
  EXPECT_EQ(installRequestFor(flow, options).temporaryDocument, "");

  InstallReport report;
  report.matchedNames = 2;
  report.lastUser = 1;
  report.files = {"/tmp/tempdoc2.$$$"};
  Told told;
  applyInstallReport(flow, report, recordInto(told));
  EXPECT_EQ(flow.selectedUser, 1);
  EXPECT_EQ(flow.installFiles, std::vector<std::string>{"/tmp/tempdoc2.$$$"});
  EXPECT_TRUE(flow.commandLineUsers.empty());
  EXPECT_EQ(flow.advanceRequest, 1);
  EXPECT_EQ(flow.quitRequest, 0);
  EXPECT_TRUE(told.empty());

  // No name matched: said, and the program is to end.
  applyInstallReport(flow, InstallReport{}, recordInto(told));
  EXPECT_EQ(told, (Told{{"Install Error", "No valid users selected"}}));
  EXPECT_EQ(flow.quitRequest, 1);
  EXPECT_EQ(flow.selectedUser, 1);
  EXPECT_EQ(flow.advanceRequest, 2);
}

TEST(MessagesTest, EachFailedLoadIsToldInTheProgramsOwnWords) {
  const auto text = [](LoadStatus status) {
    const auto message = loadFailureMessage(status);
    return message ? std::string(message->caption) + "|" + std::string(message->text) : "<none>";
  };
  EXPECT_EQ(text(LoadStatus::kSourceMissing), "Load Error|Cannot find specified source file");
  EXPECT_EQ(text(LoadStatus::kNoWorkBuffer), "Load Error|Cannot allocate work buffer for file");
  EXPECT_EQ(text(LoadStatus::kDocCannotOpen), "File Import Error|Cannot open specified file\n");
  EXPECT_EQ(text(LoadStatus::kDocNotDoc),
            "File Import Error|The selected file is not a valid Palm Doc file.\n"
            "If a Palm document or e-book, it may be in incompatible proprietary format.");
  EXPECT_EQ(text(LoadStatus::kDocNoMemory), "File Import Error|Cannot allocate working memory\n");
  EXPECT_EQ(text(LoadStatus::kNoBlankBuffer), "<none>");  // a blank document fails silently
  EXPECT_EQ(importFailureMessage(ImportStatus::kNotDoc).text, messages::kImportNotDoc.text);
}

}  // namespace

}  // namespace quillet

// What the dialogs and the main flow decide, as plain functions: the command line, the
// flow's slots and requests, the options rules, the user lists and the messages.
#include <gtest/gtest.h>

#include <cstring>

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/install_dialogs.h"
#include "app/install_step.h"
#include "app/messages.h"
#include "app/options_rules.h"
#include "app/resources/resource_ids.h"
#include "source/source_kind.h"

namespace quillet {
namespace {

using Names = std::vector<std::string>;
using Told = std::vector<std::pair<std::string, std::string>>;

TEST(CommandLineTest, UserNamesFollowEveryBlankHyphenUWhereverItIs) {
  const std::pair<const char*, Names> cases[] = {
      {"quillet-maker.exe -u Ann -u Bob", {"Ann", "Bob"}},
      {"q.exe -u \"Ann Lee\" book.txt", {"Ann Lee"}},
      {"q.exe -uAnn", {"Ann"}},
      {"q.exe -u", {""}},
      {"q.exe -u   \t", {""}},
      {"q.exe -U Ann", {}},
      {"q.exe\t-u Ann", {}},  // a tab is not the blank
      {"\"C:\\My -utilities\\q.exe\" -u Ann", {"tilities\\q.exe\"", "Ann"}},
      // The next search starts right after the u, not after the argument read.
      {"q.exe -u\" -u x\"", {" -u x", "x\""}},
  };
  for (const auto& [line, names] : cases) EXPECT_EQ(commandLineUserNames(line), names) << line;
}

TEST(CommandLineTest, ReadArgumentStopsAtWhiteSpaceOrTheClosingQuote) {
  EXPECT_EQ(readArgument("  \tword\vrest", 0), "word");
  EXPECT_EQ(readArgument("\"quoted text\" rest", 0), "quoted text");
  EXPECT_EQ(readArgument("\"unterminated to the end", 0), "unterminated to the end");
  EXPECT_EQ(readArgument("abc", 3), "");
  EXPECT_EQ(readArgument("a\r\nb", 0), "a");
}

TEST(FlowStateTest, NamesAndFilesBeyondTheirSlotsOrCountsAreRefused) {
  FlowState flow;
  EXPECT_TRUE(addCommandLineUser(flow, ""));  // "-u" at the end of the line
  EXPECT_TRUE(addCommandLineUser(flow, std::string(99, 'a')));
  EXPECT_FALSE(addCommandLineUser(flow, std::string(100, 'b')));
  for (int i = 2; i < kCommandLineUsersMax; ++i) {
    ASSERT_TRUE(addCommandLineUser(flow, "user " + std::to_string(i)));
  }
  EXPECT_FALSE(addCommandLineUser(flow, "one too many"));
  EXPECT_EQ(flow.commandLineUsers.size(), 25u);
  EXPECT_EQ(flow.commandLineUsers[24], "user 24");
  EXPECT_EQ(flow.commandLineUsers[1], std::string(99, 'a'));
  EXPECT_TRUE(addInstallFile(flow, std::string(259, 'p')));
  EXPECT_FALSE(addInstallFile(flow, std::string(260, 'q')));
  for (int i = 1; i < kInstallFilesMax; ++i) ASSERT_TRUE(addInstallFile(flow, "doc.pdb"));
  EXPECT_FALSE(addInstallFile(flow, "tenth.pdb"));
  EXPECT_EQ(flow.installFiles.size(), 9u);
}

TEST(FlowStateTest, StartingOverWinsOverMovingOn) {
  FlowState flow;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kNone);
  flow.advanceRequest += 2;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kMoveOn);
  flow.cancelRequest = 1;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kStartOver);
}

TEST(OptionsRulesTest, BrowsingSetsTheKindByTheEndingAndTheFilterFollowsTheKind) {
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.xyz", kSourceBlankDoc), kSourceTextFile);
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.xyz", kSourceHtmlFile), kSourceHtmlFile);
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\a.pdb", kSourceTextFile), kSourceDocFile);
  EXPECT_EQ(sourceTypeAfterBrowse("a.tx", kSourceBlankDoc), kSourceBlankDoc);  // too short
  EXPECT_EQ(sourceTypeAfterBrowse("C:\\clip", kSourceClipboard), kSourceClipboard);
  const std::pair<int, int> filters[] = {
      {kSourceHtmlFile, 2}, {kSourceDocFile, 3}, {kSourceBlankDoc, 1}, {kSourceClipboard, 1}};
  for (const auto& [kind, filter] : filters) EXPECT_EQ(browseFilterIndex(kind), filter) << kind;
}

TEST(OptionsRulesTest, PreviewEditsBelowThirtyThousandBytes) {
  EXPECT_TRUE(previewIsEditable(29999));
  EXPECT_FALSE(previewIsEditable(30000));
}

PalmUserList usersNamed(std::initializer_list<const char*> names) {
  PalmUserList users;
  for (const char* name : names) setFieldText(users.entries[users.userCount++].userName, name);
  return users;
}

TEST(InstallDialogsTest, PreselectsTheLastUserNamedLikeTheLastInstallElseTheFirst) {
  const PalmUserList users = usersNamed({"Carl", "Bob", "Ann", "Bob", "Dee"});
  const std::pair<const char*, int> cases[] = {{"", 0},    {"Nobody", 0}, {"Ann", 2},
                                               {"Bob", 3},  // two users of that name: the later one
                                               {"bob", 0},  // names are compared exactly
                                               {"Bo", 0}};
  AppOptions options;
  for (const auto& [name, user] : cases) {
    setFieldText(options.hotsyncName, name);
    EXPECT_EQ(preselectedUser(users, options), user) << name;
    EXPECT_EQ(preselectedUser(PalmUserList{}, options), 0);
  }
  // A stored name fills all 50 bytes without its NUL: it is read as those 50 bytes and
  // matches nobody, since display names have at most 49.
  PalmUserList longNames = usersNamed({"First", ""});
  setFieldText(longNames.entries[1].userName, std::string(49, 'N'));
  std::memset(options.hotsyncName, 'N', sizeof options.hotsyncName);
  EXPECT_EQ(preselectedUser(longNames, options), 0);
  options.hotsyncName[49] = '\0';
  EXPECT_EQ(preselectedUser(longNames, options), 1);
}

TEST(InstallDialogsTest, ContinueTakesTheSelectionOrTheFirstUser) {
  const PalmUserList users = usersNamed({"Carl", "Bob", "Ann"});
  for (const auto& [selection, user] : {std::pair{2, 2}, {0, 0}, {-1, 0}, {3, 0}})
    EXPECT_EQ(chosenUser(selection, users), user) << selection;
}

MessageSink recordInto(Told& told) {
  return [&told](std::string_view caption, std::string_view text) {
    told.emplace_back(caption, text);
  };
}

TEST(InstallStepTest, TheRequestComesFromTheSlotsAndTheReportGoesBackIntoThem) {
  FlowState flow;
  AppOptions options;
  ASSERT_TRUE(addInstallFile(flow, "/tmp/tempdoc2.$$$ \r\n"));
  ASSERT_TRUE(addCommandLineUser(flow, "ann"));
  ASSERT_TRUE(addCommandLineUser(flow, "bob"));
  setFieldText(options.outputPath, "/tmp/tempdoc2.$$$");
  const InstallRequest request = installRequestFor(flow, options);
  EXPECT_EQ(request.files, Names{"/tmp/tempdoc2.$$$ \r\n"});
  EXPECT_EQ(request.userNames, (Names{"ann", "bob"}));
  EXPECT_EQ(request.temporaryDocument, "/tmp/tempdoc2.$$$");
  EXPECT_EQ(conversionCompleteTemplate(options), IDD_COMPLETE_INSTALLED);
  options.saveToFile = 1;  // the document is the user's own: it stays
  EXPECT_EQ(installRequestFor(flow, options).temporaryDocument, "");
  EXPECT_EQ(conversionCompleteTemplate(options), IDD_COMPLETE_SAVED);

  InstallReport report;
  report.matchedNames = 2;
  report.lastUser = 1;
  report.files = {"/tmp/tempdoc2.$$$"};
  Told told;
  applyInstallReport(flow, report, recordInto(told));
  EXPECT_EQ(flow.selectedUser, 1);
  EXPECT_EQ(flow.installFiles, Names{"/tmp/tempdoc2.$$$"});
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
  const std::pair<LoadStatus, std::string> cases[] = {
      {LoadStatus::kSourceMissing, "Load Error|Cannot find specified source file"},
      {LoadStatus::kNoWorkBuffer, "Load Error|Cannot allocate work buffer for file"},
      {LoadStatus::kDocCannotOpen, "File Import Error|Cannot open specified file\n"},
      {LoadStatus::kDocNotDoc,
       "File Import Error|The selected file is not a valid Palm Doc file.\n"
       "If a Palm document or e-book, it may be in incompatible proprietary format."},
      {LoadStatus::kDocNoMemory, "File Import Error|Cannot allocate working memory\n"},
      {LoadStatus::kNoBlankBuffer, "<none>"},  // a blank document fails silently
  };
  for (const auto& [status, text] : cases) {
    const auto message = loadFailureMessage(status);
    EXPECT_EQ(message ? std::string(message->caption) + "|" + std::string(message->text) : "<none>",
              text);
  }
}

}  // namespace
}  // namespace quillet

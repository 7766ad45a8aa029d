// What the install-time dialogs decide.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_context.h"
#include "app/install_dialogs.h"
#include "app/resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

PalmUserList usersNamed(std::initializer_list<const char*> names) {
  PalmUserList users;
  for (const char* name : names) setFieldText(users.entries[users.userCount++].userName, name);
  return users;
}

int preselect(const PalmUserList& users, std::string_view hotsyncName) {
  AppOptions options;
  setFieldText(options.hotsyncName, hotsyncName);
  return preselectedUser(users, options);
}

TEST(InstallDialogsTest, PreselectsTheLastUserNamedLikeTheLastInstallElseTheFirst) {
  const PalmUserList users = usersNamed({"Carl", "Bob", "Ann", "Bob", "Dee"});
  EXPECT_EQ(preselect(users, ""), 0);
  EXPECT_EQ(preselect(users, "Nobody"), 0);
  EXPECT_EQ(preselect(users, "Ann"), 2);
  EXPECT_EQ(preselect(users, "Bob"), 3);  // two users of that name: the later one
  EXPECT_EQ(preselect(users, "bob"), 0);  // names are compared exactly
  EXPECT_EQ(preselect(users, "Bo"), 0);
  EXPECT_EQ(preselect(PalmUserList{}, "Ann"), 0);

  // A stored name fills all 50 bytes without its NUL: it is read as those 50 bytes and
  // matches nobody, since display names have at most 49.
  PalmUserList longNames = usersNamed({"First", ""});
  setFieldText(longNames.entries[1].userName, std::string(49, 'N'));
  AppOptions options;
  std::memset(options.hotsyncName, 'N', sizeof options.hotsyncName);
  EXPECT_EQ(preselectedUser(longNames, options), 0);
  options.hotsyncName[49] = '\0';
  EXPECT_EQ(preselectedUser(longNames, options), 1);
}

TEST(InstallDialogsTest, ContinueTakesTheSelectionOrTheFirstUser) {
  const PalmUserList users = usersNamed({"Carl", "Bob", "Ann"});
  EXPECT_EQ(chosenUser(2, users), 2);
  EXPECT_EQ(chosenUser(0, users), 0);
  EXPECT_EQ(chosenUser(-1, users), 0);  // no selection
  EXPECT_EQ(chosenUser(3, users), 0);
}

TEST(InstallDialogsTest, CancelDeletesTheTemporaryDocumentOnlyWhenInstalling) {
  TempDir dir;
  const std::string document = dir.file("temporary.pdb");
  AppContext context;
  setFieldText(context.options.outputPath, document);

  writeFile(document, "built document");
  context.options.saveToFile = 1;  // the document is the user's file
  cancelUserSelection(context.options, context.flow);
  EXPECT_TRUE(fileExists(document));
  EXPECT_EQ(context.flow.cancelRequest, 1);

  context.flow.cancelRequest = 0;
  context.options.saveToFile = 0;
  cancelUserSelection(context.options, context.flow);
  EXPECT_FALSE(fileExists(document));
  EXPECT_EQ(context.flow.cancelRequest, 1);
  EXPECT_EQ(context.flow.advanceRequest, 0);

  context.options.outputPath[0] = '\0';
  context.flow.cancelRequest = 0;
  cancelUserSelection(context.options, context.flow);
  EXPECT_EQ(context.flow.cancelRequest, 1);

  EXPECT_EQ(conversionCompleteTemplate(context.options), IDD_COMPLETE_INSTALLED);
  context.options.saveToFile = 1;
  EXPECT_EQ(conversionCompleteTemplate(context.options), IDD_COMPLETE_SAVED);
}

}  // namespace

}  // namespace quillet

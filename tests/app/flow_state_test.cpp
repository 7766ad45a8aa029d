#include <gtest/gtest.h>

#include <string>

#include "app/app_context.h"

namespace quillet {

namespace {

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
  AppContext context;
  FlowState& flow = context.flow;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kNone);
  flow.advanceRequest += 2;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kMoveOn);
  flow.cancelRequest = 1;
  EXPECT_EQ(pendingRequest(flow), FlowRequest::kStartOver);
}

}  // namespace

}  // namespace quillet

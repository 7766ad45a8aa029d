#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/system.h"

namespace quillet {

namespace {

TEST(SystemTest, SleepWaitsAtLeastTheTimeAsked) {
  const auto start = std::chrono::steady_clock::now();
  sleepMilliseconds(30);
  const auto waited = std::chrono::steady_clock::now() - start;
  // Timer ticks may round a little; a sleep that returns at once fails this.
  EXPECT_GE(waited, std::chrono::milliseconds(25));
}

#ifdef _WIN32
TEST(SystemTest, CommandLineIsTheOneTheSystemKeeps) {
  const char* argv[] = {"ignored"};
  setCommandLineArguments(1, argv);
  EXPECT_NE(wholeCommandLine().find("platform_tests"), std::string::npos) << wholeCommandLine();
}
#else
TEST(SystemTest, CommandLineJoinsTheArgumentsQuotingBlanks) {
  const char* argv[] = {"/opt/quillet maker/quillet", "-u", "Jo Smith", "", "a\tb", "-uAnn"};
  setCommandLineArguments(6, argv);
  EXPECT_EQ(wholeCommandLine(),
            "\"/opt/quillet maker/quillet\" -u \"Jo Smith\" \"\" \"a\tb\" -uAnn");
}
#endif

}  // namespace

}  // namespace quillet

#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands.h"
#include "tests/support/test_support.h"

namespace quillet {

// The result of running one subcommand in-process.
struct CommandRun {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs a subcommand function with its words, capturing standard output and error.
template <typename Command>
CommandRun runCommand(Command command, const std::vector<std::string>& args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int code = command(args);
  std::fflush(stdout);
  return {code, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

// Each test runs in a fresh current folder, over a registry of its own.
class CliTest : public ::testing::Test {
 protected:
  testing_support::ScopedTestRegistry registry;
  testing_support::TempDir dir;
  testing_support::ScopedCurrentDir cwd{dir.path()};
};

}  // namespace quillet

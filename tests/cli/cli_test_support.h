#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  CommandRun run{code, testing::internal::GetCapturedStdout(),
                 testing::internal::GetCapturedStderr()};
  return run;
}

}  // namespace quillet

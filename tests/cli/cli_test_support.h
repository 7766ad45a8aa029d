#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands.h"
#include "format/doc_importer.h"
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

// quillet build with its words, its output unseen: the exit code.
inline int build(const std::vector<std::string>& args) {
  return runCommand(runBuildCommand, args).exitCode;
}

// The text stored in a database, or "<not a doc>".
inline std::string stored(const std::string& path) {
  const ImportedDoc doc = importDoc(path.c_str());
  return doc.text ? std::string(doc.text.get(), doc.length) : "<not a doc>";
}

// Each test runs in a fresh current folder, over a registry of its own.
class CliTest : public ::testing::Test {
 protected:
  testing_support::ScopedTestRegistry registry;
  testing_support::TempDir dir;
  testing_support::ScopedCurrentDir cwd{dir.path()};
};

}  // namespace quillet

// quillet settings. The Windows build reads the registry's real key, which tests leave
// alone; what is decoded is the same there.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstring>

#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "cli/commands.h"
#include "platform/registry.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// The output line of one value.
std::string rowOf(const std::string& out, const std::string& valueName) {
  const std::size_t start = out.find(valueName + " ");
  return start == std::string::npos ? "" : out.substr(start, out.find('\n', start) - start);
}

TEST(SettingsCommandTest, ShowsWhereAndWhatIsStoredOrDefault) {
  ScopedTestRegistry registry;
  AppOptions options;
  std::memcpy(options.palmName, "Caf\xE9 \"Notes\"\x01", 14);
  options.sourceType = kSourceHtmlFile;
  storeAppOptions(options);
  std::memset(options.hotsyncName, 'J', kHotsyncNameSize);  // no NUL in all 50 bytes
  storeHotsyncName(options);
  writeSetting("Software\\Corvane Software\\Quillet\\v1.0\\options_show_preview", "", 0,
               kRegBinary);

  const CommandRun run = runCommand(runSettingsCommand, {});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Key:   HKEY_CURRENT_USER\\Software\\Corvane Software\\Quillet\\v1.0\n"
                          "File:  " +
                              registry.file() + "\n",
                          0),
            0u)
      << run.out;
  EXPECT_EQ(
      rowOf(run.out, "options_palm_name"),
      "options_palm_name      palmName            40  stored   \"Caf\xE9 \\\"Notes\\\"\\x01\"");
  EXPECT_EQ(rowOf(run.out, "options_import_type"),
            "options_import_type    sourceType           4  stored   2 (HTML File)");
  EXPECT_EQ(rowOf(run.out, "options_hotsync_name"),
            "options_hotsync_name   hotsyncName         50  stored   \"" + std::string(50, 'J') +
                "\" (no terminating NUL)");
  // An empty value reads as nothing: the field keeps its default.
  EXPECT_EQ(rowOf(run.out, "options_show_preview"),
            "options_show_preview   showPreview          1  stored   1 (on)");
}

TEST(SettingsCommandTest, ReportsAFileItCannotReadAndLeavesIt) {
  ScopedTestRegistry registry;
  const std::string text = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n";
  writeFile(registry.file(), text);
  const CommandRun run = runCommand(runSettingsCommand, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(registry.file() + "' line 2:"), std::string::npos) << run.err;
  EXPECT_EQ(rowOf(run.out, "options_write_file"),
            "options_write_file     saveToFile           1  default  0 (off)");
  EXPECT_EQ(readFile(registry.file()), bytesOf(text));
  EXPECT_EQ(runCommand(runSettingsCommand, {"extra"}).exitCode, 2);
}

}  // namespace
}  // namespace quillet

#endif

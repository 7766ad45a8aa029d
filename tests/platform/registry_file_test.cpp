// The POSIX registry file: where it lives, how it is replaced, and that a file it does
// not understand is reported and left alone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

RegistryStatus setInRoot(const char* name, unsigned char byte) {
  return setRegistryValue(registryRootKey(), name, kRegBinary, &byte, 1);
}

std::string textOf(const std::string& path) {
  const Bytes bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(RegistryFileTest, LivesWhereTheEnvironmentSays) {
  ScopedTestRegistry registry;  // puts QUILLET_REGISTRY back afterwards
  TempDir dir;
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  unsetenv("QUILLET_REGISTRY");
  setenv("HOME", dir.file("home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(registryFilePath(), dir.file("home") + "/.config/quillet/registry.reg");
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  EXPECT_EQ(registryFilePath(), dir.file("config") + "/quillet/registry.reg");
  EXPECT_EQ(setInRoot("v", 1), RegistryStatus::kOk);  // makes the missing folders
  EXPECT_TRUE(fileExists(dir.file("config") + "/quillet/registry.reg"));
  unsetenv("XDG_CONFIG_HOME");  // each test runs in a process of its own natively
  if (!savedHome.empty()) setenv("HOME", savedHome.c_str(), 1);
}

TEST(RegistryFileTest, EveryWriteReplacesTheWholeFileUnderItsName) {
  ScopedTestRegistry registry;
  RegistryKey key = nullptr;
  ASSERT_EQ(createRegistryKey(registryRootKey(), "Software", &key), RegistryStatus::kOk);
  const std::string before = textOf(registry.file());
  EXPECT_EQ(before, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n");
  // A second name for the old file: writing in place would change what it shows.
  const std::string oldName = registry.file() + ".old";
  ASSERT_EQ(::link(registry.file().c_str(), oldName.c_str()), 0);
  const unsigned char one = 1;
  ASSERT_EQ(setRegistryValue(key, "Palm_Name", kRegBinary, &one, 1), RegistryStatus::kOk);
  ASSERT_EQ(setRegistryValue(key, "PALM_NAME", kRegBinary, &one, 1), RegistryStatus::kOk);
  closeRegistryKey(key);
  EXPECT_EQ(textOf(oldName), before);
  EXPECT_EQ(textOf(registry.file()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"Palm_Name\"=hex:01\r\n\r\n");
  ::unlink(oldName.c_str());
  EXPECT_EQ(countEntries(std::filesystem::path(registry.file()).parent_path().string()), 1u)
      << "a temporary file was left beside it";
}

TEST(RegistryFileTest, AFileItCannotReadIsReportedAndNeverOverwritten) {
  ScopedTestRegistry registry;
  const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"v\"=hex:0x\r\n";
  writeFile(registry.file(), damaged);
  EXPECT_NE(registryProblem().find(registry.file() + "' line 4:"), std::string::npos)
      << registryProblem();
  RegistryKey key = nullptr;
  EXPECT_EQ(openRegistryKey(registryRootKey(), "Software", &key), RegistryStatus::kUnusable);
  EXPECT_EQ(createRegistryKey(registryRootKey(), "Other", &key), RegistryStatus::kUnusable);
  EXPECT_EQ(setInRoot("v", 1), RegistryStatus::kUnusable);
  EXPECT_EQ(textOf(registry.file()), damaged);
  std::filesystem::remove(registry.file());
  std::filesystem::create_directory(registry.file());  // a folder where the file should be
  EXPECT_NE(registryProblem().find("cannot read"), std::string::npos) << registryProblem();
  EXPECT_EQ(setInRoot("v", 1), RegistryStatus::kUnusable);
  EXPECT_TRUE(std::filesystem::is_directory(registry.file()));
}

}  // namespace
}  // namespace quillet

// The POSIX registry file: where it lives, how it is replaced, and that a file it does
// not understand is reported and left alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Sets or clears environment variables for one test and puts them back afterwards.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->had) {
        setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        unsetenv(it->name.c_str());
      }
    }
  }
  void set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  struct Saved {
    std::string name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved_;
};

RegistryStatus setInRoot(const char* name, const Bytes& data) {
  return setRegistryValue(registryRootKey(), name, kRegBinary, data.data(),
                          static_cast<std::uint32_t>(data.size()));
}

std::string textOf(const std::string& path) {
  const Bytes bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(RegistryFileTest, LivesWhereTheEnvironmentSays) {
  TempDir dir;
  ScopedEnvironment environment;
  environment.set("QUILLET_REGISTRY", nullptr);
  environment.set("HOME", dir.file("home").c_str());
  environment.set("XDG_CONFIG_HOME", "relative/is/ignored");
  EXPECT_EQ(registryFilePath(), dir.file("home") + "/.config/quillet/registry.reg");

  environment.set("XDG_CONFIG_HOME", dir.file("config").c_str());
  EXPECT_EQ(registryFilePath(), dir.file("config") + "/quillet/registry.reg");
  // The first write makes the missing folders.
  ASSERT_EQ(setInRoot("v", {1}), RegistryStatus::kOk);
  EXPECT_TRUE(fileExists(dir.file("config") + "/quillet/registry.reg"));

  environment.set("QUILLET_REGISTRY", dir.file("explicit.reg").c_str());
  EXPECT_EQ(registryFilePath(), dir.file("explicit.reg"));
}

TEST(RegistryFileTest, EveryWriteReplacesTheWholeFileUnderItsName) {
  ScopedTestRegistry registry;
  ASSERT_EQ(setInRoot("first", {1}), RegistryStatus::kOk);
  const std::string before = textOf(registry.file());
  // A second name for the old file: a write in place would change what it shows.
  const std::string oldLink = registry.file() + ".old";
  ASSERT_EQ(::link(registry.file().c_str(), oldLink.c_str()), 0);

  ASSERT_EQ(setInRoot("second", {2}), RegistryStatus::kOk);
  EXPECT_EQ(textOf(oldLink), before);
  EXPECT_NE(textOf(registry.file()), before);
  ::unlink(oldLink.c_str());
  // Nothing is left beside it.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(registry.file()).parent_path())) {
    ++files;
    EXPECT_EQ(entry.path().string(), registry.file());
  }
  EXPECT_EQ(files, 1);
}

TEST(RegistryFileTest, FileOfUnknownFormIsReportedAndNeverOverwritten) {
  ScopedTestRegistry registry;
  const std::string damaged =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"kept\"=hex:01\r\n\"cut\"=hex:0";
  writeFile(registry.file(), damaged + "x\r\n");
  EXPECT_NE(registryProblem().find(registry.file() + "' line 5:"), std::string::npos)
      << registryProblem();

  RegistryKey key = nullptr;
  EXPECT_EQ(openRegistryKey(registryRootKey(), "Software", &key), RegistryStatus::kUnusable);
  EXPECT_EQ(createRegistryKey(registryRootKey(), "Other", &key), RegistryStatus::kUnusable);
  EXPECT_EQ(setInRoot("v", {1}), RegistryStatus::kUnusable);
  EXPECT_EQ(textOf(registry.file()), damaged + "x\r\n");
}

TEST(RegistryFileTest, NewValuesKeepTheSpellingTheyWereMadeWith) {
  ScopedTestRegistry registry;
  RegistryKey key = nullptr;
  ASSERT_EQ(createRegistryKey(registryRootKey(), "Software", &key), RegistryStatus::kOk);
  const unsigned char one = 1;
  ASSERT_EQ(setRegistryValue(key, "Palm_Name", kRegBinary, &one, 1), RegistryStatus::kOk);
  ASSERT_EQ(setRegistryValue(key, "PALM_NAME", kRegBinary, &one, 1), RegistryStatus::kOk);
  closeRegistryKey(key);
  RegistryKey same = nullptr;
  ASSERT_EQ(createRegistryKey(registryRootKey(), "SOFTWARE", &same), RegistryStatus::kOk);
  closeRegistryKey(same);
  EXPECT_EQ(textOf(registry.file()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"Palm_Name\"=hex:01\r\n\r\n");
}

TEST(RegistryFileTest, UnreadableFileIsReportedWithItsReason) {
  ScopedTestRegistry registry;
  fs::create_directory(registry.file());  // a folder where the file should be
  EXPECT_NE(registryProblem().find("cannot read"), std::string::npos) << registryProblem();
  EXPECT_EQ(setInRoot("v", {1}), RegistryStatus::kUnusable);
  EXPECT_TRUE(fs::is_directory(registry.file()));
}

}  // namespace

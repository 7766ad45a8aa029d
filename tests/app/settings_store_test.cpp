// readSetting and writeSetting on both backends: the registry file on POSIX, the real
// registry under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app/settings_store.h"
#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

class SettingsStoreTest : public ::testing::Test {
 protected:
  static int write(const std::string& path, const Bytes& data, std::uint32_t type = kRegBinary) {
    return writeSetting(path.c_str(), data.data(), static_cast<std::uint32_t>(data.size()), type);
  }

  // Reads into a field of `width` bytes that holds 0xAA everywhere before the read.
  static Bytes readInto(const std::string& path, std::size_t width, int* result = nullptr) {
    Bytes field(width, 0xAA);
    const int got = readSetting(path.c_str(), field.data(), static_cast<std::uint32_t>(width));
    if (result != nullptr) *result = got;
    return field;
  }

  static bool keyExists(const std::string& path) {
    Bytes unused(1, 0xAA);
    return readSetting((path + "\\").c_str(), unused.data(), 1) == 0;
  }

  ScopedTestRegistry registry;
};

TEST_F(SettingsStoreTest, FirstWriteCreatesTheWholeChainAndReadsRestoreTheBytes) {
  const std::string path = registry.path("Corvane Software\\Quillet\\v1.0\\options_palm_name");
  int result = 0;
  EXPECT_EQ(readInto(path, 40, &result), Bytes(40, 0xAA));
  EXPECT_EQ(result, -1);  // nothing there yet: the field keeps what it held
  EXPECT_FALSE(keyExists(registry.key()));

  Bytes name = bytesOf(std::string("My Book\0old name", 16));
  name.resize(40, 0x00);
  ASSERT_EQ(write(path, name), 0);
  EXPECT_TRUE(keyExists(registry.path("Corvane Software\\Quillet\\v1.0")));
  EXPECT_EQ(readInto(path, 40, &result), name);
  EXPECT_EQ(result, 0);
}

TEST_F(SettingsStoreTest, PathWithoutBackslashNamesAValueOfTheRootKey) {
  const std::string name = registry.rootValueName();
  ASSERT_EQ(write(name, hexBytes("01 02 03")), 0);
  unsigned char got[3] = {};
  std::uint32_t size = sizeof got;
  std::uint32_t type = 0;
  ASSERT_EQ(queryRegistryValue(registryRootKey(), name.c_str(), &type, got, &size),
            RegistryStatus::kOk);
  EXPECT_EQ(Bytes(got, got + size), hexBytes("01 02 03"));
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(readInto(name, 5), hexBytes("01 02 03 AA AA"));
}

TEST_F(SettingsStoreTest, PathEndingWithABackslashNamesKeysOnly) {
  const std::string keys = registry.path("Quillet\\v1.0\\");
  ASSERT_EQ(write(keys, bytesOf("ignored")), 0);
  EXPECT_TRUE(keyExists(registry.path("Quillet\\v1.0")));
  int result = -1;
  EXPECT_EQ(readInto(keys, 4, &result), Bytes(4, 0xAA));  // 0, and nothing read
  EXPECT_EQ(result, 0);
  // No value was made from the last component.
  readInto(registry.path("Quillet\\v1.0"), 100, &result);
  EXPECT_EQ(result, -1);
  // Reading opens keys only: a missing key still fails.
  readInto(registry.path("Quillet\\v2.0\\"), 4, &result);
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(keyExists(registry.path("Quillet\\v2.0")));
}

TEST_F(SettingsStoreTest, RunsOfBackslashesSeparateLikeOne) {
  const std::string messy = "\\\\" + registry.key() + "\\\\\\A\\\\B\\value";
  ASSERT_EQ(write(messy, bytesOf("xy")), 0);
  EXPECT_EQ(readInto(registry.path("A\\B\\value"), 2), bytesOf("xy"));
}

TEST_F(SettingsStoreTest, TooLongOrTooDeepPathsAreRefusedBeforeAnythingIsMade) {
  // Exactly 299 characters is still a path.
  std::string longest = registry.path("L\\");
  longest += std::string(kSettingPathMax - longest.size(), 'v');
  ASSERT_EQ(longest.size(), 299u);
  EXPECT_EQ(write(longest, {1}), 0);
  EXPECT_EQ(readInto(longest, 1), Bytes{1});

  const std::string tooLong = registry.path("M\\") + std::string(300, 'v');
  EXPECT_EQ(write(tooLong, {1}), -1);
  int result = 0;
  readInto(tooLong, 1, &result);
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(keyExists(registry.path("M")));

  // The test key is two components deep: eight more make the ten that still work.
  std::string deep = registry.key();
  for (const char* component : {"3", "4", "5", "6", "7", "8", "9", "10"}) {
    deep += '\\';
    deep += component;
  }
  EXPECT_EQ(write(deep + "\\value", {2}), 0);
  EXPECT_EQ(write(deep + "\\", {2}), 0);
  EXPECT_EQ(readInto(deep + "\\value", 1), Bytes{2});

  const std::string tooDeep = registry.path("N\\4\\5\\6\\7\\8\\9\\10\\11");
  EXPECT_EQ(write(tooDeep + "\\value", {3}), -1);
  EXPECT_EQ(write(tooDeep + "\\", {3}), -1);
  EXPECT_FALSE(keyExists(registry.path("N")));
}

TEST_F(SettingsStoreTest, ValueLargerThanTheFieldFailsAndLeavesTheField) {
  const std::string path = registry.path("hotsync");
  ASSERT_EQ(write(path, Bytes(60, 0x41)), 0);
  int result = 0;
  EXPECT_EQ(readInto(path, 50, &result), Bytes(50, 0xAA));
  EXPECT_EQ(result, -1);
  EXPECT_EQ(readInto(path, 60), Bytes(60, 0x41));
  EXPECT_EQ(readSetting(path.c_str(), nullptr, 0), -1);
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesReadByteForByteWhenTheyFit) {
  const std::string text = registry.path("text");
  ASSERT_EQ(write(text, bytesOf(std::string("Ren\xE9\0", 5)), kRegSz), 0);
  EXPECT_EQ(readInto(text, 8), hexBytes("52 65 6E E9 00 AA AA AA"));

  const std::string flag = registry.path("Install3");
  ASSERT_EQ(write(flag, hexBytes("01 00 00 00"), kRegDword), 0);
  EXPECT_EQ(readInto(flag, 4), hexBytes("01 00 00 00"));
  RegistryKey software = nullptr;
  RegistryKey key = nullptr;
  ASSERT_EQ(openRegistryKey(registryRootKey(), "Software", &software), RegistryStatus::kOk);
  ASSERT_EQ(openRegistryKey(software, registry.key().substr(9).c_str(), &key), RegistryStatus::kOk);
  std::uint32_t type = 0;
  unsigned char bytes[4];
  std::uint32_t size = sizeof bytes;
  EXPECT_EQ(queryRegistryValue(key, "Install3", &type, bytes, &size), RegistryStatus::kOk);
  EXPECT_EQ(type, kRegDword);
  closeRegistryKey(key);
  closeRegistryKey(software);
}

}  // namespace

// readSetting and writeSetting on both backends: the registry file on POSIX, the real
// registry under Wine.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"
#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class SettingsStoreTest : public ::testing::Test {
 protected:
  static int write(const std::string& path, const Bytes& data, std::uint32_t type = kRegBinary) {
    return writeSetting(path.c_str(), data.data(), static_cast<std::uint32_t>(data.size()), type);
  }

  // Reads into a field of `width` bytes that holds 0xAA everywhere before the read, and
  // records the result in lastResult.
  Bytes readInto(const std::string& path, std::size_t width) {
    Bytes field(width, 0xAA);
    lastResult = readSetting(path.c_str(), field.data(), static_cast<std::uint32_t>(width));
    return field;
  }

  bool keyExists(const std::string& path) {
    readInto(path + "\\", 1);
    return lastResult == 0;
  }

  ScopedTestRegistry registry;
  int lastResult = 99;
};

TEST_F(SettingsStoreTest, FirstWriteCreatesTheWholeChainAndReadsRestoreTheBytes) {
  const std::string path = registry.path("Corvane Software\\Quillet\\v1.0\\options_palm_name");
  EXPECT_EQ(readInto(path, 40), Bytes(40, 0xAA));  // nothing there: the field keeps its bytes
  EXPECT_EQ(lastResult, -1);

  Bytes name = bytesOf(std::string("My Book\0old name", 16));
  name.resize(40, 0x00);
  ASSERT_EQ(write(path, name), 0);
  EXPECT_EQ(readInto(path, 40), name);
  EXPECT_EQ(lastResult, 0);
}

TEST_F(SettingsStoreTest, PathWithoutBackslashNamesAValueOfTheRootKey) {
  const std::string name = registry.rootValueName();
  ASSERT_EQ(write(name, hexBytes("01 02 03")), 0);
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_TRUE(queryValueAt(name, type, data));
  EXPECT_EQ(data, hexBytes("01 02 03"));
  EXPECT_EQ(readInto(name, 5), hexBytes("01 02 03 AA AA"));  // the rest stays as it was
}

TEST_F(SettingsStoreTest, PathEndingWithABackslashNamesKeysOnly) {
  ASSERT_EQ(write(registry.path("Quillet\\v1.0\\"), bytesOf("ignored")), 0);
  EXPECT_TRUE(keyExists(registry.path("Quillet\\v1.0")));
  EXPECT_EQ(readInto(registry.path("Quillet\\v1.0\\"), 4), Bytes(4, 0xAA));
  EXPECT_EQ(lastResult, 0);
  readInto(registry.path("Quillet\\v1.0"), 100);  // no value was made from "v1.0"
  EXPECT_EQ(lastResult, -1);
  EXPECT_FALSE(keyExists(registry.path("Quillet\\v2.0")));  // reading creates nothing
  EXPECT_FALSE(keyExists(registry.path("Quillet\\v2.0")));
}

TEST_F(SettingsStoreTest, RunsOfBackslashesSeparateLikeOneAndNamesIgnoreCase) {
  ASSERT_EQ(write("\\\\" + registry.key() + "\\\\\\A\\\\B\\Value", bytesOf("xy")), 0);
  EXPECT_EQ(readInto(registry.path("A\\B\\Value"), 2), bytesOf("xy"));
  const std::string upper = "SOFTWARE" + registry.key().substr(8) + "\\a\\b\\VALUE";
  EXPECT_EQ(readInto(upper, 2), bytesOf("xy"));
  ASSERT_EQ(write(upper, bytesOf("z")), 0);  // replaces the value, not a second one
  EXPECT_EQ(readInto(registry.path("A\\B\\Value"), 2), hexBytes("7A AA"));
}

TEST_F(SettingsStoreTest, TooLongOrTooDeepPathsAreRefusedBeforeAnythingIsMade) {
  std::string longest = registry.path("L\\");
  longest += std::string(kSettingPathMax - longest.size(), 'v');
  EXPECT_EQ(write(longest, {1}), 0);  // 299 characters still work
  EXPECT_EQ(readInto(longest, 1), Bytes{1});
  const std::string tooLong = registry.path("M\\") + std::string(300, 'v');
  EXPECT_EQ(write(tooLong, {1}), -1);
  readInto(tooLong, 1);
  EXPECT_EQ(lastResult, -1);
  EXPECT_FALSE(keyExists(registry.path("M")));

  // The test key is two components deep: eight more make the ten that still work.
  const std::string deep = registry.path("3\\4\\5\\6\\7\\8\\9\\10");
  EXPECT_EQ(write(deep + "\\value", {2}), 0);
  EXPECT_EQ(readInto(deep + "\\value", 1), Bytes{2});
  EXPECT_TRUE(keyExists(deep));
  EXPECT_EQ(write(registry.path("N\\4\\5\\6\\7\\8\\9\\10\\11\\value"), {3}), -1);
  EXPECT_EQ(write(registry.path("N\\4\\5\\6\\7\\8\\9\\10\\11\\"), {3}), -1);
  EXPECT_FALSE(keyExists(registry.path("N")));
}

TEST_F(SettingsStoreTest, ValueLargerThanTheFieldFailsAndLeavesTheField) {
  const std::string path = registry.path("hotsync");
  ASSERT_EQ(write(path, Bytes(60, 0x41)), 0);
  EXPECT_EQ(readInto(path, 50), Bytes(50, 0xAA));
  EXPECT_EQ(lastResult, -1);
  EXPECT_EQ(readSetting(path.c_str(), nullptr, 0), -1);  // no buffer is no exception
  EXPECT_EQ(readInto(path, 60), Bytes(60, 0x41));
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesReadByteForByteWhenTheyFit) {
  ASSERT_EQ(write(registry.path("text"), bytesOf(std::string("Ren\xE9\0", 5)), kRegSz), 0);
  EXPECT_EQ(readInto(registry.path("text"), 8), hexBytes("52 65 6E E9 00 AA AA AA"));
  // The install flag's type is the caller's: REG_DWORD.
  ASSERT_EQ(write(registry.path("Install3"), hexBytes("01 00 00 00"), kRegDword), 0);
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_TRUE(queryValueAt(registry.path("Install3"), type, data));
  EXPECT_EQ(type, kRegDword);
}

}  // namespace

}  // namespace quillet

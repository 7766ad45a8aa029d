// The settings store and the stored options on both backends (the registry file on POSIX,
// the real registry under Wine), below a key of the test's own.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/registry.h"
#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

class SettingsTest : public ::testing::Test {
 protected:
  static int write(const std::string& path, const Bytes& data, std::uint32_t type = kRegBinary) {
    return writeSetting(path.c_str(), data.data(), static_cast<std::uint32_t>(data.size()), type);
  }

  // Reads into a field of `width` bytes that holds 0xAA before the read; the result goes
  // to lastResult.
  Bytes read(const std::string& path, std::size_t width) {
    Bytes field(width, 0xAA);
    lastResult = readSetting(path.c_str(), field.data(), static_cast<std::uint32_t>(width));
    return field;
  }

  bool keyExists(const std::string& path) { return read(path + "\\", 1), lastResult == 0; }

  // The type and bytes stored, as "type: hex", or "none".
  static std::string stored(const std::string& path) {
    std::uint32_t type = 0;
    Bytes data;
    return queryValueAt(path, type, data) ? std::to_string(type) + ": " + hexOf(data) : "none";
  }

  ScopedTestRegistry registry;
  const std::string key = registry.path("Corvane Software\\Quillet\\v1.0");
  int lastResult = 99;
};

TEST_F(SettingsTest, FirstWriteCreatesTheWholeChainAndReadsRestoreTheBytes) {
  const std::string path = key + "\\options_palm_name";
  EXPECT_EQ(read(path, 40), Bytes(40, 0xAA));  // nothing there: the field keeps its bytes
  EXPECT_EQ(lastResult, -1);
  Bytes name = bytesOf(std::string("My Book\0old name", 16));
  name.resize(40, 0x00);
  ASSERT_EQ(write(path, name), 0);
  EXPECT_EQ(read(path, 40), name);
  EXPECT_EQ(lastResult, 0);
}

TEST_F(SettingsTest, APathWithoutBackslashNamesAValueOfTheRootKey) {
  ASSERT_EQ(write(registry.rootValueName(), hexBytes("01 02 03")), 0);
  EXPECT_EQ(stored(registry.rootValueName()), "3: 01 02 03");
  EXPECT_EQ(read(registry.rootValueName(), 5), hexBytes("01 02 03 AA AA"));  // the rest stays
}

TEST_F(SettingsTest, APathEndingWithABackslashNamesKeysOnly) {
  ASSERT_EQ(write(registry.path("Quillet\\v1.0\\"), bytesOf("ignored")), 0);
  EXPECT_TRUE(keyExists(registry.path("Quillet\\v1.0")));
  EXPECT_EQ(read(registry.path("Quillet\\v1.0\\"), 4), Bytes(4, 0xAA));
  EXPECT_EQ(lastResult, 0);
  read(registry.path("Quillet\\v1.0"), 100);  // no value was made from "v1.0"
  EXPECT_EQ(lastResult, -1);
  EXPECT_FALSE(keyExists(registry.path("Quillet\\v2.0")));  // reading creates nothing
  EXPECT_FALSE(keyExists(registry.path("Quillet\\v2.0")));
}

TEST_F(SettingsTest, RunsOfBackslashesSeparateLikeOneAndNamesIgnoreCase) {
  ASSERT_EQ(write("\\\\" + registry.key() + "\\\\\\A\\\\B\\Value", bytesOf("xy")), 0);
  EXPECT_EQ(read(registry.path("A\\B\\Value"), 2), bytesOf("xy"));
  const std::string upper = "SOFTWARE" + registry.key().substr(8) + "\\a\\b\\VALUE";
  EXPECT_EQ(read(upper, 2), bytesOf("xy"));
  ASSERT_EQ(write(upper, bytesOf("z")), 0);  // replaces the value, not a second one
  EXPECT_EQ(read(registry.path("A\\B\\Value"), 2), hexBytes("7A AA"));
}

TEST_F(SettingsTest, TooLongOrTooDeepPathsAreRefusedBeforeAnythingIsMade) {
  std::string longest = registry.path("L\\");
  longest += std::string(kSettingPathMax - longest.size(), 'v');
  EXPECT_EQ(write(longest, {1}), 0);  // 299 characters still work
  EXPECT_EQ(read(longest, 1), Bytes{1});
  const std::string tooLong = registry.path("M\\") + std::string(300, 'v');
  EXPECT_EQ(write(tooLong, {1}), -1);
  read(tooLong, 1);
  EXPECT_EQ(lastResult, -1);
  EXPECT_FALSE(keyExists(registry.path("M")));
  // The test key is two components deep: eight more make the ten that still work.
  const std::string deep = registry.path("3\\4\\5\\6\\7\\8\\9\\10");
  EXPECT_EQ(write(deep + "\\value", {2}), 0);
  EXPECT_EQ(read(deep + "\\value", 1), Bytes{2});
  EXPECT_TRUE(keyExists(deep));
  EXPECT_EQ(write(registry.path("N\\4\\5\\6\\7\\8\\9\\10\\11\\value"), {3}), -1);
  EXPECT_EQ(write(registry.path("N\\4\\5\\6\\7\\8\\9\\10\\11\\"), {3}), -1);
  EXPECT_FALSE(keyExists(registry.path("N")));
}

TEST_F(SettingsTest, AValueLargerThanTheFieldFailsAndLeavesTheFieldOthersReadByteForByte) {
  const std::string path = registry.path("hotsync");
  ASSERT_EQ(write(path, Bytes(60, 0x41)), 0);
  EXPECT_EQ(read(path, 50), Bytes(50, 0xAA));
  EXPECT_EQ(lastResult, -1);
  EXPECT_EQ(readSetting(path.c_str(), nullptr, 0), -1);  // no buffer is no exception
  EXPECT_EQ(read(path, 60), Bytes(60, 0x41));
  // Values of other types read byte for byte when they fit.
  ASSERT_EQ(write(registry.path("text"), bytesOf(std::string("Ren\xE9\0", 5)), kRegSz), 0);
  EXPECT_EQ(read(registry.path("text"), 8), hexBytes("52 65 6E E9 00 AA AA AA"));
}

TEST_F(SettingsTest, AFirstRunKeepsTheDefaultsAndStoredOptionsLoadIntoAnotherRunByteForByte) {
  AppOptions first;
  EXPECT_EQ(loadAppOptions(first, key.c_str()), 0);  // nothing stored: every read fails
  const AppOptions fresh;
  EXPECT_EQ(std::memcmp(&first, &fresh, sizeof first), 0);
  first.showPreview = 0;
  first.stripLineBreaks = 1;
  first.saveToFile = 1;
  first.publicFormat = 1;
  std::memcpy(first.palmName, "Caf\xE9 Notes\0older, longer name", 30);
  std::memcpy(first.sourcePath, "C:\\Books\\notes.html", 20);
  std::memset(first.sourcePath + 200, 'x', 60);  // bytes after the NUL travel too
  first.sourceType = kSourceHtmlFile;
  std::memcpy(first.hotsyncName, "Jo", 3);
  std::memcpy(first.outputPath, "never stored", 13);
  EXPECT_EQ(storeAppOptions(first, key.c_str()), 7);

  AppOptions second;
  std::memcpy(second.hotsyncName, "kept", 5);
  EXPECT_EQ(loadAppOptions(second, key.c_str()), 7);
  EXPECT_STREQ(second.hotsyncName, "kept");  // the install run stores it, not Continue
  EXPECT_EQ(second.outputPath[0], '\0');
  std::memcpy(second.hotsyncName, first.hotsyncName, kHotsyncNameSize);
  std::memcpy(second.outputPath, first.outputPath, kPathSize);
  EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
  EXPECT_EQ(storeHotsyncName(first, key.c_str()), 0);
  EXPECT_EQ(loadAppOptions(second, key.c_str()), 8);
  EXPECT_STREQ(second.hotsyncName, "Jo");
  // Each option is binary of its field's full width.
  const std::pair<const char*, std::size_t> widths[] = {
      {"options_hotsync_name", 50}, {"options_show_preview", 1},  {"options_strip_cr", 1},
      {"options_write_file", 1},    {"options_public_format", 1}, {"options_palm_name", 40},
      {"options_import_name", 260}, {"options_import_type", 4}};
  for (const auto& [name, width] : widths) {
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(queryValueAt(key + "\\" + name, type, data)) << name;
    EXPECT_EQ(type, kRegBinary) << name;
    EXPECT_EQ(data.size(), width) << name;
  }
  EXPECT_EQ(stored(key + "\\options_import_type"), "3: 02 00 00 00");
}

TEST_F(SettingsTest, UnreadableOptionValuesLeaveTheirFieldsWhileTheOthersLoad) {
  // Written by some other program: one too wide for its field, one a short string.
  ASSERT_EQ(write(key + "\\options_palm_name", Bytes(41, 'W')), 0);
  ASSERT_EQ(write(key + "\\options_hotsync_name", bytesOf(std::string("Ann\0", 4)), kRegSz), 0);
  AppOptions options;
  std::memcpy(options.palmName, "Before", 7);
  std::memcpy(options.hotsyncName, "Previous name", 14);
  EXPECT_EQ(loadAppOptions(options, key.c_str()), 1);
  EXPECT_STREQ(options.palmName, "Before");
  EXPECT_EQ(std::string(options.hotsyncName, 14), std::string("Ann\0ious name\0", 14));
}

}  // namespace
}  // namespace quillet

// The options as the application loads and stores them, in a key of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/app_options.h"
#include "settings/settings_store.h"
#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class AppOptionsTest : public ::testing::Test {
 protected:
  std::string valuePath(const char* valueName) const { return key + "\\" + valueName; }

  ScopedTestRegistry registry;
  const std::string key = registry.path("Corvane Software\\Quillet\\v1.0");
};

TEST_F(AppOptionsTest, OnAFirstRunEveryReadFailsAndTheDefaultsStand) {
  AppOptions options;
  EXPECT_EQ(loadAppOptions(options, key.c_str()), 0);
  const AppOptions fresh;
  EXPECT_EQ(std::memcmp(&options, &fresh, sizeof options), 0);
}

TEST_F(AppOptionsTest, StoredOptionsLoadIntoAnotherRunByteForByte) {
  AppOptions first;
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
}

TEST_F(AppOptionsTest, EachOptionIsBinaryOfItsFieldsFullWidth) {
  AppOptions options;
  std::memcpy(options.palmName, "Book", 5);
  options.sourceType = kSourceHtmlFile;
  storeAppOptions(options, key.c_str());
  storeHotsyncName(options, key.c_str());
  const struct {
    const char* valueName;
    std::size_t width;
  } kWidths[] = {{"options_hotsync_name", 50}, {"options_show_preview", 1},
                 {"options_strip_cr", 1},      {"options_write_file", 1},
                 {"options_public_format", 1}, {"options_palm_name", 40},
                 {"options_import_name", 260}, {"options_import_type", 4}};
  for (const auto& value : kWidths) {
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(queryValueAt(valuePath(value.valueName), type, data)) << value.valueName;
    EXPECT_EQ(type, kRegBinary) << value.valueName;
    EXPECT_EQ(data.size(), value.width) << value.valueName;
  }
  std::uint32_t type = 0;
  Bytes data;
  queryValueAt(valuePath("options_import_type"), type, data);
  EXPECT_EQ(hexOf(data), "02 00 00 00");
}

TEST_F(AppOptionsTest, UnreadableValuesLeaveTheirFieldsWhileTheOthersLoad) {
  // Written by some other program: one too wide for its field, one a short string.
  const Bytes tooWide(41, 'W');
  writeSetting(valuePath("options_palm_name").c_str(), tooWide.data(), 41, kRegBinary);
  writeSetting(valuePath("options_hotsync_name").c_str(), "Ann\0", 4, kRegSz);
  AppOptions options;
  std::memcpy(options.palmName, "Before", 7);
  std::memcpy(options.hotsyncName, "Previous name", 14);
  EXPECT_EQ(loadAppOptions(options, key.c_str()), 1);
  EXPECT_STREQ(options.palmName, "Before");
  EXPECT_EQ(std::string(options.hotsyncName, 14), std::string("Ann\0ious name\0", 14));
}

}  // namespace

}  // namespace quillet

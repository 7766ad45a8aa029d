// The options as the application loads and stores them, in a key of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_options.h"
#include "app/settings_store.h"
#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

class AppOptionsTest : public ::testing::Test {
 protected:
  std::string valuePath(const char* valueName) const { return key + "\\" + valueName; }

  // The stored value's type and bytes, or type 0xFFFF when it cannot be read.
  std::pair<std::uint32_t, Bytes> stored(const char* valueName) const {
    const std::string path = valuePath(valueName);
    RegistryKey chain[5] = {};
    int depth = 0;
    RegistryKey parent = registryRootKey();
    std::size_t start = 0;
    std::pair<std::uint32_t, Bytes> result{0xFFFF, {}};
    for (std::size_t end; (end = path.find('\\', start)) != std::string::npos; start = end + 1) {
      if (openRegistryKey(parent, path.substr(start, end - start).c_str(), &chain[depth]) !=
          RegistryStatus::kOk) {
        break;
      }
      parent = chain[depth++];
    }
    if (depth == 5) {
      Bytes data(400);
      std::uint32_t size = 400;
      if (queryRegistryValue(parent, valueName, &result.first, data.data(), &size) ==
          RegistryStatus::kOk) {
        data.resize(size);
        result.second = data;
      }
    }
    while (depth > 0) closeRegistryKey(chain[--depth]);
    return result;
  }

  ScopedTestRegistry registry;
  const std::string key = registry.path("Corvane Software\\Quillet\\v1.0");
};

TEST_F(AppOptionsTest, OnAFirstRunEveryReadFailsAndTheDefaultsStand) {
  AppOptions options;
  EXPECT_EQ(loadAppOptions(options, key.c_str()), 0);
  const AppOptions fresh;
  EXPECT_EQ(std::memcmp(&options, &fresh, sizeof options), 0);
  EXPECT_EQ(options.showPreview, 1);
  EXPECT_EQ(options.sourceType, kSourceTextFile);
  EXPECT_EQ(options.stripLineBreaks + options.saveToFile + options.publicFormat, 0);
  EXPECT_EQ(options.palmName[0] + options.sourcePath[0] + options.hotsyncName[0], 0);
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
  std::memcpy(first.outputPath, "never stored", 13);
  EXPECT_EQ(storeAppOptions(first, key.c_str()), 7);

  AppOptions second;
  std::memcpy(second.hotsyncName, "kept", 5);
  EXPECT_EQ(loadAppOptions(second, key.c_str()), 7);  // hotsyncName is not stored here
  EXPECT_STREQ(second.hotsyncName, "kept");
  EXPECT_EQ(second.showPreview, 0);
  EXPECT_EQ(second.stripLineBreaks, 1);
  EXPECT_EQ(second.saveToFile, 1);
  EXPECT_EQ(second.publicFormat, 1);
  EXPECT_EQ(std::memcmp(second.palmName, first.palmName, kPalmNameSize), 0);
  EXPECT_EQ(std::memcmp(second.sourcePath, first.sourcePath, kPathSize), 0);
  EXPECT_EQ(second.sourceType, kSourceHtmlFile);
  EXPECT_EQ(second.outputPath[0], '\0');
}

TEST_F(AppOptionsTest, EachOptionIsBinaryOfItsFieldsFullWidth) {
  AppOptions options;
  std::memcpy(options.palmName, "Book", 5);
  options.sourceType = kSourceHtmlFile;
  storeAppOptions(options, key.c_str());
  std::memcpy(options.hotsyncName, "Jo Smith", 9);
  EXPECT_EQ(storeHotsyncName(options, key.c_str()), 0);

  const struct {
    const char* valueName;
    std::size_t width;
  } kWidths[] = {{"options_hotsync_name", 50}, {"options_show_preview", 1},
                 {"options_strip_cr", 1},      {"options_write_file", 1},
                 {"options_public_format", 1}, {"options_palm_name", 40},
                 {"options_import_name", 260}, {"options_import_type", 4}};
  for (const auto& value : kWidths) {
    const auto [type, bytes] = stored(value.valueName);
    EXPECT_EQ(type, kRegBinary) << value.valueName;
    EXPECT_EQ(bytes.size(), value.width) << value.valueName;
  }
  EXPECT_EQ(stored("options_import_type").second, hexBytes("02 00 00 00"));
  Bytes palmName = bytesOf("Book");
  palmName.resize(40, 0);
  EXPECT_EQ(stored("options_palm_name").second, palmName);
  EXPECT_EQ(stored("options_show_preview").second, hexBytes("01"));
}

TEST_F(AppOptionsTest, StoringOnContinueLeavesTheHotsyncNameToTheInstallRun) {
  AppOptions options;
  std::memcpy(options.hotsyncName, "Jo", 3);
  storeAppOptions(options, key.c_str());
  EXPECT_EQ(stored("options_hotsync_name").first, 0xFFFFu);
  EXPECT_EQ(stored("options_palm_name").first, kRegBinary);
}

TEST_F(AppOptionsTest, UnreadableValuesLeaveTheirFieldsWhileTheOthersLoad) {
  // Written by some other program: one too wide for its field, one a short string.
  const Bytes tooWide(41, 'W');
  ASSERT_EQ(writeSetting(valuePath("options_palm_name").c_str(), tooWide.data(), 41, kRegBinary),
            0);
  ASSERT_EQ(writeSetting(valuePath("options_hotsync_name").c_str(), "Ann\0", 4, kRegSz), 0);
  const unsigned char off = 0;
  ASSERT_EQ(writeSetting(valuePath("options_show_preview").c_str(), &off, 1, kRegBinary), 0);

  AppOptions options;
  std::memcpy(options.palmName, "Before", 7);
  std::memcpy(options.hotsyncName, "Previous name", 14);
  EXPECT_EQ(loadAppOptions(options, key.c_str()), 2);
  EXPECT_STREQ(options.palmName, "Before");
  EXPECT_EQ(std::string(options.hotsyncName, 14), std::string("Ann\0ious name\0", 14));
  EXPECT_EQ(options.showPreview, 0);
}

TEST_F(AppOptionsTest, SourceKindsHaveTheListsNames) {
  EXPECT_STREQ(sourceTypeName(kSourceNewBlankDoc), "New Blank Doc");
  EXPECT_STREQ(sourceTypeName(kSourceTextClipboard), "Text Clipboard");
  EXPECT_EQ(sourceTypeName(5), nullptr);
  EXPECT_EQ(sourceTypeName(-1), nullptr);
}

}  // namespace

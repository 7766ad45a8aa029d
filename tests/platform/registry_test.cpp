// The registry seam, through whichever backend this build has: the registry file on
// POSIX, the real registry under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/registry.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

struct ReadBack {
  RegistryStatus status;
  std::uint32_t type;
  Bytes bytes;
};

class RegistrySeamTest : public ::testing::Test {
 protected:
  // Opens (or creates) "Software" and the test's own key below it.
  RegistryKey testKey(bool create) {
    const std::string name = registry.key().substr(std::strlen("Software\\"));
    RegistryKey software = nullptr;
    RegistryKey key = nullptr;
    auto step = create ? createRegistryKey : openRegistryKey;
    if (step(registryRootKey(), "Software", &software) != RegistryStatus::kOk) return nullptr;
    const RegistryStatus status = step(software, name.c_str(), &key);
    closeRegistryKey(software);
    return status == RegistryStatus::kOk ? key : nullptr;
  }

  static ReadBack query(RegistryKey key, const char* name, std::uint32_t capacity = 1024) {
    std::vector<unsigned char> buffer(capacity, 0xEE);
    std::uint32_t size = capacity;
    std::uint32_t type = 0xFFFF;
    const RegistryStatus status = queryRegistryValue(key, name, &type, buffer.data(), &size);
    buffer.resize(status == RegistryStatus::kOk ? size : 0);
    return {status, type, buffer};
  }

  static RegistryStatus set(RegistryKey key, const char* name, std::uint32_t type,
                            const Bytes& data) {
    return setRegistryValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
  }

  ScopedTestRegistry registry;
};

TEST_F(RegistrySeamTest, KeysOpenOnlyOnceCreatedAndCreatingTwiceOpensTheSameKey) {
  EXPECT_EQ(testKey(false), nullptr);
  RegistryKey created = testKey(true);
  ASSERT_NE(created, nullptr);
  ASSERT_EQ(set(created, "v", kRegBinary, {1, 2, 3}), RegistryStatus::kOk);
  closeRegistryKey(created);

  RegistryKey again = testKey(true);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(query(again, "v").bytes, Bytes({1, 2, 3}));  // not a fresh, empty key
  closeRegistryKey(again);

  RegistryKey missing = reinterpret_cast<RegistryKey>(1);
  EXPECT_EQ(openRegistryKey(registryRootKey(), "QuilletNoSuchKey-7c1e", &missing),
            RegistryStatus::kNotFound);
  EXPECT_EQ(missing, nullptr);
}

TEST_F(RegistrySeamTest, ValuesKeepTheirTypeAndEveryByte) {
  RegistryKey key = testKey(true);
  ASSERT_NE(key, nullptr);
  const struct {
    const char* name;
    std::uint32_t type;
    Bytes data;
  } kValues[] = {
      {"binary", kRegBinary, hexBytes("00 4D 79 00 FF 22 5C 0D 0A 00")},
      {"empty binary", kRegBinary, {}},
      {"flag", kRegDword, hexBytes("01 00 00 00")},
      {"short dword", kRegDword, hexBytes("02 00")},
      {"text", kRegSz, bytesOf(std::string("Caf\xE9 \"A\\B\"", 11) + '\0')},
      {"text list", kRegMultiSz, bytesOf(std::string("a\0bc\0\0", 6))},
      {"none", kRegNone, hexBytes("0A")},
      {"", kRegBinary, hexBytes("DE AD")},  // the key's default value
  };
  for (const auto& value : kValues) {
    ASSERT_EQ(set(key, value.name, value.type, value.data), RegistryStatus::kOk) << value.name;
  }
  for (const auto& value : kValues) {
    const ReadBack got = query(key, value.name);
    ASSERT_EQ(got.status, RegistryStatus::kOk) << value.name;
    EXPECT_EQ(got.type, value.type) << value.name;
    EXPECT_EQ(hexOf(got.bytes), hexOf(value.data)) << value.name;
  }

  // Setting again replaces type and bytes together.
  ASSERT_EQ(set(key, "binary", kRegDword, hexBytes("07 00 00 00")), RegistryStatus::kOk);
  const ReadBack replaced = query(key, "binary");
  EXPECT_EQ(replaced.type, kRegDword);
  EXPECT_EQ(replaced.bytes, hexBytes("07 00 00 00"));
  closeRegistryKey(key);
}

TEST_F(RegistrySeamTest, QueryFailsForMissingValuesAndForBuffersTooSmall) {
  RegistryKey key = testKey(true);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(query(key, "absent").status, RegistryStatus::kNotFound);
  ASSERT_EQ(set(key, "six", kRegBinary, hexBytes("01 02 03 04 05 06")), RegistryStatus::kOk);

  std::uint32_t size = 5;
  unsigned char buffer[5];
  EXPECT_EQ(queryRegistryValue(key, "six", nullptr, buffer, &size), RegistryStatus::kMoreData);
  EXPECT_EQ(size, 6u);  // the size it would need
  EXPECT_EQ(query(key, "six", 6).bytes, hexBytes("01 02 03 04 05 06"));
  closeRegistryKey(key);
}

TEST_F(RegistrySeamTest, KeyAndValueNamesIgnoreAsciiCase) {
  RegistryKey key = testKey(true);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(set(key, "Palm_Name", kRegBinary, bytesOf("one")), RegistryStatus::kOk);
  ASSERT_EQ(set(key, "PALM_NAME", kRegBinary, bytesOf("two")), RegistryStatus::kOk);
  EXPECT_EQ(query(key, "palm_name").bytes, bytesOf("two"));

  RegistryKey upper = nullptr;
  ASSERT_EQ(openRegistryKey(registryRootKey(), "SOFTWARE", &upper), RegistryStatus::kOk);
  closeRegistryKey(upper);
  closeRegistryKey(key);
}

}  // namespace

// The REGEDIT4 text: what is written, what is read back, and what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/registry_text.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// Quotes, backslashes, '@', '=', brackets and high bytes are what escaping faults trip
// over; key names cannot hold the backslash, which separates them.
std::string randomText(TestRandom& random, unsigned maxLength, bool forKey = false) {
  static const char kPool[] = "ab\"@=[] ;,:\xE9\x93\x94z\\";
  const unsigned poolSize = sizeof kPool - (forKey ? 2 : 1);
  std::string text;
  for (unsigned i = random.below(maxLength + 1); i > 0; --i) text += kPool[random.below(poolSize)];
  return text;
}

RegistryTree randomTree(TestRandom& random) {
  static const std::uint32_t kTypes[] = {kRegNone,  kRegSz,      kRegExpandSz, kRegBinary,
                                         kRegDword, kRegMultiSz, 0x1234};
  RegistryTree tree;
  for (unsigned k = random.below(5); k > 0; --k) {
    std::string path = random.below(6) == 0 ? "" : "Software";  // sometimes the root itself
    for (unsigned depth = path.empty() ? 0 : random.below(4); depth > 0; --depth) {
      path += "\\K" + randomText(random, 6, true);
    }
    RegistryTreeKey& key = tree.makeKey(path);
    for (unsigned v = random.below(5); v > 0; --v) {
      const std::uint32_t type = kTypes[random.below(7)];
      Bytes data(random.below(300));
      for (auto& b : data)
        b = static_cast<unsigned char>(random.below(3) == 0 ? 0 : random.below(256));
      if (type == kRegSz && random.below(2) == 0) data = bytesOf(randomText(random, 40) + '\0');
      if (type == kRegDword && random.below(2) == 0) data.resize(4);
      key.setValue(randomText(random, 12), type, data);
    }
  }
  return tree;
}

// What is read back writes the same text again: every key, name, type and byte survived.
TEST(RegistryTextTest, RandomTreesReadBackExactly) {
  TestRandom random(20240611);
  for (int round = 0; round < 200; ++round) {
    const std::string text = formatRegistryText(randomTree(random));
    RegistryTree back;
    std::string error;
    ASSERT_TRUE(parseRegistryText(text, back, error)) << error << "\n" << text;
    ASSERT_EQ(formatRegistryText(back), text);
  }
}

TEST(RegistryTextTest, WritesEachValueInItsPlainestFormAndWrapsLongHex) {
  RegistryTree tree;
  RegistryTreeKey& key = tree.makeKey("Software\\Corvane Software");
  key.setValue("text", kRegSz, bytesOf(std::string("C:\\\"x\"\0", 7)));
  key.setValue("no NUL", kRegSz, bytesOf("ab"));
  key.setValue("flag", kRegDword, hexBytes("01 02 00 80"));
  key.setValue("", kRegBinary, hexBytes("00 ff"));
  key.setValue("list", kRegMultiSz, bytesOf(std::string("a\0\0", 3)));
  key.setValue("long", kRegBinary, Bytes(30, 0xAB));
  EXPECT_EQ(formatRegistryText(tree),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane Software]\r\n"
            "\"text\"=\"C:\\\\\\\"x\\\"\"\r\n"
            "\"no NUL\"=hex(1):61,62\r\n"
            "\"flag\"=dword:80000201\r\n"
            "@=hex:00,ff\r\n"
            "\"list\"=hex(7):61,00,00\r\n"
            "\"long\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
            "  ab,ab,ab,ab,ab,ab,ab,ab\r\n"
            "\r\n");
}

TEST(RegistryTextTest, ReadsWhatRegistryEditorsWrite) {
  // The newer header, LF line ends, comments, a key before its parent, other spellings,
  // one-digit hex, blanks and continuations.
  RegistryTree tree;
  std::string error;
  ASSERT_TRUE(
      parseRegistryText("\nWindows Registry Editor Version 5.00\n; by hand\n"
                        "[hkey_current_user\\Software\\A\\B]\n"
                        "\"bin\"=hex:1,0a, \\\n   ff,\\\n  10\n"
                        "\"n\" = DWORD:A\n"
                        "[HKEY_CURRENT_USER\\software\\a]\n"
                        "\"e\"=hex(2):\n",
                        tree, error))
      << error;
  ASSERT_NE(tree.findKey("Software"), nullptr);
  EXPECT_EQ(tree.findKey("SOFTWARE\\a")->path, "Software\\A");  // spelled as first met
  RegistryTreeKey* b = tree.findKey("Software\\A\\B");
  EXPECT_EQ(b->findValue("BIN")->data, hexBytes("01 0a ff 10"));
  EXPECT_EQ(b->findValue("n")->data, hexBytes("0a 00 00 00"));
  EXPECT_EQ(tree.findKey("Software\\A")->findValue("e")->type, kRegExpandSz);
}

TEST(RegistryTextTest, RefusesWhatItCannotKeepAndNamesTheLine) {
  const char* const kBad[] = {
      "REGEDIT5\r\n",                             // not a registry file
      "REGEDIT4\r\n\"v\"=hex:00\r\n",             // a value before any key
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\S]\r\n",  // another root: it would be lost
      "REGEDIT4\r\n[-HKEY_CURRENT_USER\\S]\r\n",  // deletions
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=-\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S\\]\r\n",  // an empty key name
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v=hex:00\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=hex:100\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=dword:123456789\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"a\\q\"\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=hex:00,\\\r\n",  // continues past the end
  };
  for (const char* bad : kBad) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(parseRegistryText(bad, tree, error)) << bad;
    const std::string lastLine =
        "line " + std::to_string(std::count(bad, bad + std::strlen(bad), '\n'));
    EXPECT_EQ(error.rfind(lastLine + ":", 0), 0u) << bad << " -> " << error;
  }
}

}  // namespace

}  // namespace quillet

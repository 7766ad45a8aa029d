// The REGEDIT4 text: what is written, what is read back, and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry_text.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

RegistryTree parsed(std::string_view text) {
  RegistryTree tree;
  std::string error;
  EXPECT_TRUE(parseRegistryText(text, tree, error)) << error;
  return tree;
}

// Quotes, backslashes, '@', '=' and high bytes are what an escaping fault trips over;
// key names cannot hold a backslash, which separates them.
std::string randomText(TestRandom& random, std::size_t maxLength, bool forKey = false) {
  static const char kPool[] = "ab\"@=[] ;,:\xE9\x93\x94z\\";
  const unsigned poolSize = sizeof kPool - (forKey ? 2 : 1);
  std::string text;
  const unsigned length = random.below(static_cast<unsigned>(maxLength) + 1);
  for (unsigned i = 0; i < length; ++i) text += kPool[random.below(poolSize)];
  return text;
}

Bytes randomData(TestRandom& random) {
  Bytes data(random.below(300));
  for (auto& b : data) b = static_cast<unsigned char>(random.below(4) == 0 ? 0 : random.below(256));
  return data;
}

TEST(RegistryTextTest, RandomTreesReadBackExactly) {
  TestRandom random(20240611);
  for (int round = 0; round < 200; ++round) {
    RegistryTree tree;
    const unsigned keyCount = random.below(5);
    for (unsigned k = 0; k < keyCount; ++k) {
      std::string path = "Software";
      for (unsigned depth = random.below(4); depth > 0; --depth)
        path += "\\K" + randomText(random, 6, true);
      if (random.below(6) == 0) path.clear();  // the root key itself
      RegistryTreeKey& key = tree.makeKey(path);
      for (unsigned v = random.below(5); v > 0; --v) {
        static const std::uint32_t kTypes[] = {kRegNone, 1, 2, 3, 4, 7, 0x1234};
        const std::uint32_t type = kTypes[random.below(7)];
        Bytes data = randomData(random);
        if (type == 1 && random.below(2) == 0) data = bytesOf(randomText(random, 40) + '\0');
        if (type == 4 && random.below(2) == 0) data.resize(4);
        key.setValue(randomText(random, 12), type, data);
      }
    }
    const std::string text = formatRegistryText(tree);
    RegistryTree back = parsed(text);
    ASSERT_EQ(back.keys.size(), tree.keys.size()) << text;
    for (std::size_t k = 0; k < tree.keys.size(); ++k) {
      const RegistryTreeKey& want = tree.keys[k];
      const RegistryTreeKey& got = back.keys[k];
      ASSERT_EQ(got.path, want.path) << text;
      ASSERT_EQ(got.values.size(), want.values.size()) << text;
      for (std::size_t v = 0; v < want.values.size(); ++v) {
        EXPECT_EQ(got.values[v].name, want.values[v].name) << text;
        EXPECT_EQ(got.values[v].type, want.values[v].type) << text;
        EXPECT_EQ(hexOf(got.values[v].data), hexOf(want.values[v].data)) << text;
      }
    }
  }
}

TEST(RegistryTextTest, WritesRegedit4WithEachKindOfValueInItsPlainestForm) {
  RegistryTree tree;
  RegistryTreeKey& key = tree.makeKey("Software\\Corvane Software");
  key.setValue("text", kRegSz, bytesOf(std::string("C:\\\"x\"\0", 7)));
  key.setValue("text without its NUL", kRegSz, bytesOf("ab"));
  key.setValue("flag", kRegDword, hexBytes("01 02 00 80"));
  key.setValue("", kRegBinary, hexBytes("00 ff"));
  key.setValue("list", kRegMultiSz, bytesOf(std::string("a\0\0", 3)));
  EXPECT_EQ(formatRegistryText(tree),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane Software]\r\n"
            "\"text\"=\"C:\\\\\\\"x\\\"\"\r\n"
            "\"text without its NUL\"=hex(1):61,62\r\n"
            "\"flag\"=dword:80000201\r\n"
            "@=hex:00,ff\r\n"
            "\"list\"=hex(7):61,00,00\r\n"
            "\r\n");
}

TEST(RegistryTextTest, LongValuesWrapAt80ColumnsAndContinuationsReadBack) {
  RegistryTree tree;
  tree.makeKey("Software").setValue("options_import_name", kRegBinary, Bytes(260, 0x41));
  const std::string text = formatRegistryText(tree);
  std::size_t lineStart = 0;
  int continued = 0;
  for (std::size_t end; (end = text.find("\r\n", lineStart)) != std::string::npos;
       lineStart = end + 2) {
    EXPECT_LE(end - lineStart, 80u);
    if (end > lineStart && text[end - 1] == '\\') ++continued;
  }
  EXPECT_GT(continued, 5);
  EXPECT_EQ(parsed(text).findKey("software")->findValue("OPTIONS_IMPORT_NAME")->data,
            Bytes(260, 0x41));
}

TEST(RegistryTextTest, ReadsWhatRegistryEditorsWrite) {
  // A hand-edited file: the newer header, LF line ends, comments, blank lines, a key
  // named before its parent, other spellings, one- and two-digit hex, spaces.
  const RegistryTree tree = parsed(
      "\n"
      "Windows Registry Editor Version 5.00\n"
      "; exported by hand\n"
      "[hkey_current_user\\Software\\A\\B]\n"
      "\"bin\"=hex:1,0a, \\\n"
      "   ff,\\\n"
      "  10\n"
      "\"n\" = DWORD:A\n"
      "\"s\"=\"say \\\"hi\\\"\"\n"
      "[HKEY_CURRENT_USER\\software\\a]\n"
      "\"e\"=hex(2):\n"
      "\"bin\"=hex:02\n");
  RegistryTree copy = tree;
  ASSERT_NE(copy.findKey("Software"), nullptr);  // the parent exists by implication
  RegistryTreeKey* b = copy.findKey("SOFTWARE\\a\\b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->findValue("bin")->data, hexBytes("01 0a ff 10"));
  EXPECT_EQ(b->findValue("n")->data, hexBytes("0a 00 00 00"));
  EXPECT_EQ(b->findValue("s")->data, bytesOf(std::string("say \"hi\"\0", 9)));
  RegistryTreeKey* a = copy.findKey("Software\\A");
  EXPECT_EQ(a->path, "Software\\A");  // spelled as first met
  EXPECT_EQ(a->findValue("e")->type, 2u);
  EXPECT_TRUE(a->findValue("e")->data.empty());
  EXPECT_EQ(a->findValue("bin")->data, hexBytes("02"));

  EXPECT_TRUE(parsed("").keys.empty());
}

TEST(RegistryTextTest, RefusesWhatItCannotKeepAndNamesTheLine) {
  const struct {
    const char* text;
    const char* line;
  } kBad[] = {
      {"REGEDIT5\r\n", "line 1:"},
      {"REGEDIT4\r\n\"v\"=hex:00\r\n", "line 2:"},
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n", "line 2:"},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software]\r\n", "line 2:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\]\r\n", "line 2:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\r\n", "line 2:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=-\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v=hex:00\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:0g\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:100\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:123456789\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"open\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"a\\q\"\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"a\" x\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:00,\\\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex(zz):00\r\n", "line 3:"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\nv=1\r\n", "line 3:"},
  };
  for (const auto& bad : kBad) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(parseRegistryText(bad.text, tree, error)) << bad.text;
    EXPECT_EQ(error.rfind(bad.line, 0), 0u) << bad.text << " -> " << error;
  }
}

}  // namespace

// A registry file in the form the POSIX backend writes goes into the real registry with
// Wine's reg.exe ("reg import"), and the registry then holds the same values, byte for
// byte: the file format is the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

TEST(RegistryImportTest, RegImportReadsBackEveryValueAsWritten) {
  ScopedTestRegistry registry;
  RegistryTree tree;
  Bytes palmName = bytesOf(std::string("Caf\xE9 \x93Notes\x94\0old tail", 22));
  palmName.resize(40, 0);
  RegistryTreeKey& options = tree.makeKey(registry.path("Corvane Software\\Quillet\\v1.0"));
  options.setValue("options_palm_name", kRegBinary, palmName);
  options.setValue("options_import_name", kRegBinary, Bytes(260, 0x5C));  // wraps many lines
  options.setValue("options_import_type", kRegBinary, hexBytes("02 00 00 00"));
  options.setValue("options_show_preview", kRegBinary, hexBytes("01"));
  options.setValue("empty", kRegBinary, {});
  RegistryTreeKey& other = tree.makeKey(registry.path("Other \"Key\""));
  other.setValue("Install-2", kRegDword, hexBytes("01 00 00 00"));
  other.setValue("path \"quoted\"", kRegSz, bytesOf(std::string("C:\\Palm\\\"x\"\xE9\0", 13)));
  other.setValue("", kRegSz, bytesOf(std::string("default\0", 8)));
  other.setValue("list", kRegMultiSz, bytesOf(std::string("a\0b c\0\0", 7)));
  other.setValue("odd dword", kRegDword, hexBytes("01 02"));
  other.setValue("type 0", kRegNone, hexBytes("00 01"));
  tree.makeKey("").setValue(registry.rootValueName(), kRegBinary, hexBytes("AB"));

  TempDir dir;
  const std::string file = dir.file("import.reg");
  const std::string text = formatRegistryText(tree);
  writeFile(file, text);
  ASSERT_EQ(std::system(("reg.exe import \"" + file + "\"").c_str()), 0) << text;

  for (const RegistryTreeKey& key : tree.keys) {
    for (const RegistryTreeValue& value : key.values) {
      const std::string path = key.path.empty() ? value.name : key.path + "\\" + value.name;
      std::uint32_t type = 0;
      Bytes data;
      ASSERT_TRUE(queryValueAt(path, type, data)) << path;
      EXPECT_EQ(type, value.type) << path;
      EXPECT_EQ(hexOf(data), hexOf(value.data)) << path;
    }
  }
}

}  // namespace

}  // namespace quillet

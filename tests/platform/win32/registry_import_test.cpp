// A registry file in the form the POSIX backend writes goes into the real registry with
// Wine's reg.exe ("reg import"), and the registry then holds the same values, byte for
// byte: the file format is the real one.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "tests/support/test_registry.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

// Runs a command line, waits for it, and returns its exit code (-1 when it cannot start).
int runAndWait(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Opens a key path below HKEY_CURRENT_USER one component at a time.
RegistryKey openPath(const std::string& path) {
  RegistryKey key = registryRootKey();
  if (path.empty()) return key;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    RegistryKey next = nullptr;
    const RegistryStatus status =
        openRegistryKey(key, path.substr(start, end - start).c_str(), &next);
    closeRegistryKey(key);
    if (status != RegistryStatus::kOk) return nullptr;
    key = next;
    start = end + 1;
  }
  return key;
}

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
  ASSERT_EQ(runAndWait("reg.exe import \"" + file + "\""), 0) << text;

  for (const RegistryTreeKey& key : tree.keys) {
    RegistryKey opened = openPath(key.path);
    ASSERT_NE(opened, nullptr) << key.path;
    for (const RegistryTreeValue& value : key.values) {
      Bytes got(1024);
      std::uint32_t size = 1024;
      std::uint32_t type = 0;
      ASSERT_EQ(queryRegistryValue(opened, value.name.c_str(), &type, got.data(), &size),
                RegistryStatus::kOk)
          << key.path << " " << value.name;
      got.resize(size);
      EXPECT_EQ(type, value.type) << value.name;
      EXPECT_EQ(hexOf(got), hexOf(value.data)) << value.name;
    }
    closeRegistryKey(opened);
  }
}

}  // namespace

// What only the Windows backend does, against the real system under Wine: the message
// queue, and the registry file format read by reg.exe.
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/ui.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

constexpr UINT kWorkMessage = WM_APP + 7;
int gDispatched = 0;

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWorkMessage) return DefWindowProcA(window, message, wParam, lParam);
  return ++gDispatched, 0;
}

TEST(MessageQueueTest, PumpDispatchesEverythingWaitingAndLosesTheQuitMessage) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = countingProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QuilletPumpTest";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "QuilletPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  gDispatched = 0;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostMessageA(window, kWorkMessage, 0, 0));
  PostQuitMessage(0);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 8, 0, 0));
  pumpPending();
  EXPECT_EQ(gDispatched, 3);
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE))
      << "message " << left.message << " was still waiting";
  DestroyWindow(window);
}

// A registry file as the POSIX backend writes it goes into the real registry with reg.exe,
// which then holds the same values, byte for byte.
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
  writeFile(dir.file("import.reg"), formatRegistryText(tree));
  ASSERT_EQ(std::system(("reg.exe import \"" + dir.file("import.reg") + "\"").c_str()), 0)
      << formatRegistryText(tree);
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

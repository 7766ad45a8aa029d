#include "platform/win32/windows_api.h"

#include "platform/registry.h"

namespace quillet {

// A RegistryKey is the HKEY itself; the handle type is only ever cast back.
namespace {

HKEY toHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

RegistryKey fromHkey(HKEY key) { return reinterpret_cast<RegistryKey>(key); }

RegistryStatus statusOf(LONG result) {
  switch (result) {
    case ERROR_SUCCESS:
      return RegistryStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return RegistryStatus::kNotFound;
    case ERROR_MORE_DATA:
      return RegistryStatus::kMoreData;
    default:
      return RegistryStatus::kFailed;
  }
}

}  // namespace

RegistryKey registryRootKey() { return fromHkey(HKEY_CURRENT_USER); }

RegistryStatus openRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened) {
  HKEY key = nullptr;
  const LONG result = RegOpenKeyExA(toHkey(parent), name, 0, KEY_READ, &key);
  *opened = result == ERROR_SUCCESS ? fromHkey(key) : nullptr;
  return statusOf(result);
}

RegistryStatus createRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened) {
  HKEY key = nullptr;
  const LONG result = RegCreateKeyExA(toHkey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
  *opened = result == ERROR_SUCCESS ? fromHkey(key) : nullptr;
  return statusOf(result);
}

RegistryStatus queryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                  void* buffer, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  const LONG result = RegQueryValueExA(toHkey(key), name, nullptr, &valueType,
                                       static_cast<BYTE*>(buffer), &valueSize);
  *size = valueSize;
  if (result == ERROR_SUCCESS && type != nullptr) *type = valueType;
  return statusOf(result);
}

RegistryStatus setRegistryValue(RegistryKey key, const char* name, std::uint32_t type,
                                const void* data, std::uint32_t size) {
  return statusOf(RegSetValueExA(toHkey(key), name, 0, type, static_cast<const BYTE*>(data), size));
}

void closeRegistryKey(RegistryKey key) {
  if (key != nullptr && key != registryRootKey()) RegCloseKey(toHkey(key));
}

std::string registryFilePath() { return ""; }

std::string registryProblem() { return ""; }

}  // namespace quillet

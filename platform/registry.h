#pragma once

#include <cstdint>
#include <string>

namespace quillet {

// The registry below HKEY_CURRENT_USER, the only root the program uses.
//
// Windows: the system registry (RegOpenKeyExA ... RegCloseKey); names and string data pass
// as the ANSI bytes they are.
// POSIX: a registry file in the REGEDIT4 text format that Windows' regedit imports and
// exports (platform/registry_text.h), at $QUILLET_REGISTRY, else
// $XDG_CONFIG_HOME/quillet/registry.reg, else ~/.config/quillet/registry.reg. Every call
// reads the file afresh; every change replaces it atomically. A file that cannot be parsed
// makes every call fail with kUnusable and is never overwritten.
//
// Key and value names are compared without regard to ASCII case; a stored name keeps the
// spelling it was created with.

// Registry type codes, as Windows numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

enum class RegistryStatus {
  kOk,
  kNotFound,  // no such key or value
  kMoreData,  // the value is larger than the buffer offered
  kUnusable,  // the store cannot be read (POSIX: the file is unreadable or unparsable)
  kFailed,    // any other failure (access denied, a write that did not complete, ...)
};

// An open key. Windows: an HKEY. POSIX: a key path owned by the backend.
struct RegistryKeyHandle;
using RegistryKey = RegistryKeyHandle*;

// HKEY_CURRENT_USER itself. Always open; closing it does nothing.
RegistryKey registryRootKey();

// Opens the existing key `name` (one component, no backslash) below `parent` for reading.
// On kOk *opened holds a key the caller closes with closeRegistryKey.
RegistryStatus openRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened);

// Opens the key `name` below `parent`, creating it first when it does not exist
// (non-volatile, full access, default security). On kOk *opened must be closed.
RegistryStatus createRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened);

// Reads the value `name` of `key`. On entry *size is the capacity of `buffer`; on kOk the
// value's bytes are at the start of `buffer`, *size is their count and *type the value's
// type. On kMoreData *size is the size needed and the buffer's contents are undefined.
// The value's type is never checked against anything.
RegistryStatus queryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                  void* buffer, std::uint32_t* size);

// Sets the value `name` of `key` to exactly `size` bytes of `data` with type `type`,
// replacing a value of that name. REQUIRES: data points to size bytes (may be null for 0).
RegistryStatus setRegistryValue(RegistryKey key, const char* name, std::uint32_t type,
                                const void* data, std::uint32_t size);

// Closes a key from openRegistryKey or createRegistryKey. Null and the root are ignored.
void closeRegistryKey(RegistryKey key);

// The registry file's path on POSIX (empty when there is no place for it: no
// QUILLET_REGISTRY and no home folder); empty on Windows, where the system keeps the
// registry.
std::string registryFilePath();

// Empty when the store can be used; otherwise why not, for people ("registry.reg line 7:
// a value line outside any key"). POSIX reads the file to find out; Windows has nothing to
// report.
std::string registryProblem();

}  // namespace quillet

#include "settings/settings_store.h"

#include <cstring>
#include <vector>

#include "platform/registry.h"

namespace quillet {

namespace {

// A setting path cut into its components, in a private copy of the path.
struct SettingPath {
  char text[kSettingPathMax + 1];
  const char* components[kSettingKeysMax + 1];
  int count = 0;
  int keyCount = 0;
  bool namesValue = false;  // the last component names a value

  const char* valueName() const { return components[count - 1]; }
};

// False when the path is too long or nests too deep: such a path is refused whole, so
// nothing is opened or created for it.
bool splitSettingPath(const char* path, SettingPath& split) {
  const std::size_t length = strnlen(path, kSettingPathMax + 1);
  if (length > kSettingPathMax) return false;
  std::memcpy(split.text, path, length + 1);
  char* at = split.text;
  for (;;) {
    while (*at == '\\') *at++ = '\0';
    if (*at == '\0') break;
    if (split.count == kSettingKeysMax + 1) return false;
    split.components[split.count++] = at;
    while (*at != '\0' && *at != '\\') ++at;
  }
  split.namesValue = split.count > 0 && path[length - 1] != '\\';
  split.keyCount = split.namesValue ? split.count - 1 : split.count;
  return split.keyCount <= kSettingKeysMax;
}

// The keys opened for one call; closed most recent first when the call ends.
class KeyChain {
 public:
  KeyChain() = default;
  KeyChain(const KeyChain&) = delete;
  KeyChain& operator=(const KeyChain&) = delete;
  ~KeyChain() {
    while (count_ > 0) closeRegistryKey(keys_[--count_]);
  }

  // The key the next component lives in: HKEY_CURRENT_USER until a key is open.
  RegistryKey innermost() const { return count_ == 0 ? registryRootKey() : keys_[count_ - 1]; }

  // Opens (or with create, creates) every key component of `path`; false at the first
  // that fails.
  bool descend(const SettingPath& path, bool create) {
    for (int i = 0; i < path.keyCount; ++i) {
      RegistryKey next = nullptr;
      const RegistryStatus status = create
                                        ? createRegistryKey(innermost(), path.components[i], &next)
                                        : openRegistryKey(innermost(), path.components[i], &next);
      if (status != RegistryStatus::kOk) return false;
      keys_[count_++] = next;
    }
    return true;
  }

 private:
  RegistryKey keys_[kSettingKeysMax] = {};
  int count_ = 0;
};

}  // namespace

int readSetting(const char* path, void* buffer, std::uint32_t size) {
  SettingPath split;
  if (!splitSettingPath(path, split)) return -1;
  KeyChain keys;
  if (!keys.descend(split, false)) return -1;
  if (!split.namesValue) return 0;
  // The value lands in a scratch copy first: a read that fails must leave the caller's
  // field as it was, and the registry leaves the buffer undefined when the value is too
  // large. The scratch copy is never empty, because with no buffer at all Windows
  // reports success and the value's size instead of a failure.
  std::vector<unsigned char> scratch(size > 0 ? size : 1);
  std::uint32_t got = size;
  std::uint32_t type = 0;
  if (queryRegistryValue(keys.innermost(), split.valueName(), &type, scratch.data(), &got) !=
          RegistryStatus::kOk ||
      got > size) {
    return -1;
  }
  if (got > 0) std::memcpy(buffer, scratch.data(), got);
  return 0;
}

int writeSetting(const char* path, const void* data, std::uint32_t size, std::uint32_t type) {
  SettingPath split;
  if (!splitSettingPath(path, split)) return -1;
  KeyChain keys;
  if (!keys.descend(split, true)) return -1;
  if (!split.namesValue) return 0;
  const RegistryStatus status =
      setRegistryValue(keys.innermost(), split.valueName(), type, data, size);
  return status == RegistryStatus::kOk ? 0 : -1;
}

}  // namespace quillet

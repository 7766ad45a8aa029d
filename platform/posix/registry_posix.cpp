// The registry kept in a REGEDIT4 file. Every call reads the file afresh, so another
// process's changes are seen at once and nothing is cached that could go stale; a change
// writes a complete new file beside the old one and renames it into place, so the file
// on disk is always either the old one or the new one.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/posix/replace_file_posix.h"
#include "platform/registry_text.h"

namespace quillet {

struct RegistryKeyHandle {
  std::string path;  // below HKEY_CURRENT_USER, as the file spells it; "" for the root
};

namespace {

namespace fs = std::filesystem;

RegistryKeyHandle* rootHandle() {
  static RegistryKeyHandle root;
  return &root;
}

std::string nonEmptyEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string locateRegistryFile() {
  std::string path = nonEmptyEnvironment("QUILLET_REGISTRY");
  if (!path.empty()) return path;
  // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directory rules say.
  const std::string config = nonEmptyEnvironment("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return config + "/quillet/registry.reg";
  std::string home = nonEmptyEnvironment("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
      home = entry->pw_dir;
    }
  }
  if (home.empty()) return "";
  return home + "/.config/quillet/registry.reg";
}

struct LoadedTree {
  RegistryTree tree;
  std::string path;
  std::string problem;  // empty when the tree is usable
};

bool readWhole(const std::string& path, std::string& text, int& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = errno;
    return false;
  }
  char block[16384];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
  error = std::ferror(file) ? errno : 0;
  std::fclose(file);
  return error == 0;
}

LoadedTree loadTree() {
  LoadedTree loaded;
  loaded.path = locateRegistryFile();
  if (loaded.path.empty()) {
    loaded.problem = "no place for the registry file: set QUILLET_REGISTRY or HOME";
    return loaded;
  }
  std::string text;
  int error = 0;
  if (!readWhole(loaded.path, text, error)) {
    // No file yet is an empty registry: the first write makes it.
    if (error == ENOENT || error == ENOTDIR) return loaded;
    loaded.problem = "cannot read '" + loaded.path + "': " + std::strerror(error);
    return loaded;
  }
  std::string why;
  if (!parseRegistryText(text, loaded.tree, why)) {
    loaded.problem = "'" + loaded.path + "' " + why + "; the file is left as it is";
  }
  return loaded;
}

// The file that is really replaced: a symbolic link stays a link to the new file.
fs::path replacedFile(const std::string& path) {
  std::error_code error;
  if (fs::is_symlink(path, error)) {
    fs::path resolved = fs::weakly_canonical(path, error);
    if (!error) return resolved;
  }
  return path;
}

void syncFolder(const fs::path& folder) {
  const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return;
  ::fsync(descriptor);  // best effort: the rename is atomic either way
  ::close(descriptor);
}

bool saveTree(const LoadedTree& loaded) {
  const fs::path target = replacedFile(loaded.path);
  const fs::path folder = target.parent_path();
  std::error_code error;
  if (!folder.empty()) fs::create_directories(folder, error);

  // A new file keeps the old one's permissions; the first is private to its owner.
  struct stat old {};
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? old.st_mode & 07777 : 0600;
  const std::string text = formatRegistryText(loaded.tree);
  if (!replaceFileWith(target.string(), ".new-", mode, true, [&text](int descriptor) {
        return writeAll(descriptor, text.data(), text.size());
      })) {
    return false;
  }
  syncFolder(folder);
  return true;
}

bool isOneComponent(const char* name) {
  return name != nullptr && name[0] != '\0' && std::strchr(name, '\\') == nullptr;
}

std::string childPath(const RegistryKeyHandle* parent, const char* name) {
  return parent->path.empty() ? std::string(name) : parent->path + '\\' + name;
}

// A key the caller opened may have gone since: another process can rewrite the file.
bool keyExists(RegistryTree& tree, const RegistryKeyHandle* key) {
  return key->path.empty() || tree.findKey(key->path) != nullptr;
}

RegistryStatus openOrCreate(RegistryKey parent, const char* name, RegistryKey* opened,
                            bool create) {
  *opened = nullptr;
  if (parent == nullptr || !isOneComponent(name)) return RegistryStatus::kFailed;
  LoadedTree loaded = loadTree();
  if (!loaded.problem.empty()) return RegistryStatus::kUnusable;
  if (!keyExists(loaded.tree, parent)) return RegistryStatus::kNotFound;
  const std::string path = childPath(parent, name);
  RegistryTreeKey* key = loaded.tree.findKey(path);
  if (key == nullptr) {
    if (!create) return RegistryStatus::kNotFound;
    key = &loaded.tree.makeKey(path);
    if (!saveTree(loaded)) return RegistryStatus::kFailed;
  }
  *opened = new RegistryKeyHandle{key->path};
  return RegistryStatus::kOk;
}

}  // namespace

RegistryKey registryRootKey() { return rootHandle(); }

RegistryStatus openRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened) {
  return openOrCreate(parent, name, opened, false);
}

RegistryStatus createRegistryKey(RegistryKey parent, const char* name, RegistryKey* opened) {
  return openOrCreate(parent, name, opened, true);
}

RegistryStatus queryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                  void* buffer, std::uint32_t* size) {
  if (key == nullptr || size == nullptr) return RegistryStatus::kFailed;
  LoadedTree loaded = loadTree();
  if (!loaded.problem.empty()) return RegistryStatus::kUnusable;
  RegistryTreeKey* treeKey = loaded.tree.findKey(key->path);
  if (treeKey == nullptr) return RegistryStatus::kNotFound;
  const RegistryTreeValue* value = treeKey->findValue(name != nullptr ? name : "");
  if (value == nullptr) return RegistryStatus::kNotFound;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (needed > *size) {
    *size = needed;
    return RegistryStatus::kMoreData;
  }
  if (needed > 0) std::memcpy(buffer, value->data.data(), needed);
  *size = needed;
  if (type != nullptr) *type = value->type;
  return RegistryStatus::kOk;
}

RegistryStatus setRegistryValue(RegistryKey key, const char* name, std::uint32_t type,
                                const void* data, std::uint32_t size) {
  if (key == nullptr || (data == nullptr && size > 0)) return RegistryStatus::kFailed;
  LoadedTree loaded = loadTree();
  if (!loaded.problem.empty()) return RegistryStatus::kUnusable;
  if (!keyExists(loaded.tree, key)) return RegistryStatus::kNotFound;
  const auto* bytes = static_cast<const unsigned char*>(data);
  loaded.tree.makeKey(key->path).setValue(name != nullptr ? name : "", type,
                                          std::vector<unsigned char>(bytes, bytes + size));
  return saveTree(loaded) ? RegistryStatus::kOk : RegistryStatus::kFailed;
}

void closeRegistryKey(RegistryKey key) {
  if (key != rootHandle()) delete key;
}

std::string registryFilePath() { return locateRegistryFile(); }

std::string registryProblem() { return loadTree().problem; }

}  // namespace quillet

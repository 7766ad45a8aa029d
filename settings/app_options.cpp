#include "settings/app_options.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "base/fixed_field.h"
#include "settings/settings_store.h"
#include "platform/registry.h"

namespace quillet {

namespace {

constexpr StoredOption kLoadOrder[] = {
    {"options_hotsync_name", "hotsyncName", OptionKind::kText, offsetof(AppOptions, hotsyncName),
     kHotsyncNameSize},
    {"options_show_preview", "showPreview", OptionKind::kFlag, offsetof(AppOptions, showPreview),
     1},
    {"options_strip_cr", "stripLineBreaks", OptionKind::kFlag,
     offsetof(AppOptions, stripLineBreaks), 1},
    {"options_write_file", "saveToFile", OptionKind::kFlag, offsetof(AppOptions, saveToFile), 1},
    {"options_public_format", "publicFormat", OptionKind::kFlag, offsetof(AppOptions, publicFormat),
     1},
    {"options_palm_name", "palmName", OptionKind::kText, offsetof(AppOptions, palmName),
     kPalmNameSize},
    {"options_import_name", "sourcePath", OptionKind::kText, offsetof(AppOptions, sourcePath),
     kPathSize},
    {"options_import_type", "sourceType", OptionKind::kSourceType, offsetof(AppOptions, sourceType),
     sizeof(std::int32_t)},
};

// A field's bytes are the value's bytes; a big-endian machine would store the number the
// other way round and no longer read what Windows wrote.
static_assert(std::endian::native == std::endian::little);

}  // namespace

const char* sourceTypeName(std::int32_t sourceType) {
  static const char* const kNames[] = {"New Blank Doc", "Text File", "HTML File", "Quillet Doc",
                                       "Text Clipboard"};
  if (sourceType < kSourceBlankDoc || sourceType > kSourceClipboard) return nullptr;
  return kNames[sourceType];
}

unsigned char* StoredOption::field(AppOptions& options) const {
  return reinterpret_cast<unsigned char*>(&options) + offset;
}

const unsigned char* StoredOption::field(const AppOptions& options) const {
  return reinterpret_cast<const unsigned char*>(&options) + offset;
}

std::span<const StoredOption> loadedOptions() { return kLoadOrder; }

std::span<const StoredOption> storedOptions() { return loadedOptions().subspan(1); }

bool optionValuePath(const char* keyPath, const StoredOption& option, char* out,
                     std::size_t outSize) {
  const int length = std::snprintf(out, outSize, "%s\\%s", keyPath, option.valueName);
  return length >= 0 && static_cast<std::size_t>(length) < outSize;
}

int readOption(AppOptions& options, const StoredOption& option, const char* keyPath) {
  char path[kSettingPathMax + 1];
  if (!optionValuePath(keyPath, option, path, sizeof path)) return -1;
  return readSetting(path, option.field(options), option.width);
}

int writeOption(const AppOptions& options, const StoredOption& option, const char* keyPath) {
  char path[kSettingPathMax + 1];
  if (!optionValuePath(keyPath, option, path, sizeof path)) return -1;
  return writeSetting(path, option.field(options), option.width, kRegBinary);
}

int loadAppOptions(AppOptions& options, const char* keyPath) {
  int read = 0;
  for (const StoredOption& option : loadedOptions()) {
    if (readOption(options, option, keyPath) == 0) ++read;
  }
  return read;
}

int storeAppOptions(const AppOptions& options, const char* keyPath) {
  int written = 0;
  for (const StoredOption& option : storedOptions()) {
    if (writeOption(options, option, keyPath) == 0) ++written;
  }
  return written;
}

int storeHotsyncName(const AppOptions& options, const char* keyPath) {
  return writeOption(options, loadedOptions()[0], keyPath);
}

int rememberHotsyncUser(AppOptions& options, std::string_view userName, const char* keyPath) {
  setFieldText(options.hotsyncName, userName);
  return storeHotsyncName(options, keyPath);
}

}  // namespace quillet

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "source/source_kind.h"

namespace quillet {

// The options the application keeps between runs, and the conversion's output path.
// Each persisted field is one REG_BINARY value of the field's full width in the settings
// key; a field's bytes are the value's bytes (numbers little-endian, texts with their NUL
// and whatever follows it inside the field).

// The key below HKEY_CURRENT_USER that holds the options.
inline constexpr char kSettingsKeyPath[] = "Software\\Corvane Software\\Quillet\\v1.0";

// The source kind's entry in the options dialog's list, without its leading blank:
// "New Blank Doc", "Text File", "HTML File", "Quillet Doc", "Text Clipboard"; null for any
// other number.
const char* sourceTypeName(std::int32_t sourceType);

inline constexpr std::size_t kHotsyncNameSize = 50;
inline constexpr std::size_t kPalmNameSize = 40;
inline constexpr std::size_t kPathSize = 260;

// The fields start at the values a program run starts with.
struct AppOptions {
  char hotsyncName[kHotsyncNameSize] = {};  // user most recently installed to
  unsigned char showPreview = 1;            // 0 or 1
  unsigned char stripLineBreaks = 0;        // 0 or 1
  unsigned char saveToFile = 0;             // 0 or 1
  unsigned char publicFormat = 0;           // 0 or 1
  char palmName[kPalmNameSize] = {};        // at most 32 characters are used
  char sourcePath[kPathSize] = {};
  std::int32_t sourceType = kSourceTextFile;
  char outputPath[kPathSize] = {};  // the document to build; never stored
};

// How a field reads when shown to people.
enum class OptionKind { kText, kFlag, kSourceType };

// One persisted option: its registry value and its field.
struct StoredOption {
  const char* valueName;  // "options_palm_name"
  const char* fieldName;  // "palmName"
  OptionKind kind;
  std::size_t offset;  // of the field inside AppOptions
  std::uint32_t width;

  unsigned char* field(AppOptions& options) const;
  const unsigned char* field(const AppOptions& options) const;
};

// Every persisted option, in the order the options dialog loads them: hotsyncName,
// showPreview, stripLineBreaks, saveToFile, publicFormat, palmName, sourcePath,
// sourceType.
std::span<const StoredOption> loadedOptions();

// The options the options dialog stores on Continue, in that order: the loaded ones
// without hotsyncName, which only the install run stores.
std::span<const StoredOption> storedOptions();

// The value path of an option inside `keyPath` ("...\v1.0\options_palm_name").
// REQUIRES: out holds outSize bytes. False when the path does not fit.
bool optionValuePath(const char* keyPath, const StoredOption& option, char* out,
                     std::size_t outSize);

// Reads one option into its field (0), or leaves the field as it is (-1).
int readOption(AppOptions& options, const StoredOption& option,
               const char* keyPath = kSettingsKeyPath);

// Writes one option's field as REG_BINARY of its full width. 0, or -1 on failure.
int writeOption(const AppOptions& options, const StoredOption& option,
                const char* keyPath = kSettingsKeyPath);

// Reads every option in load order; each read is independent, and one that fails leaves
// its field as it was. Returns how many were read.
int loadAppOptions(AppOptions& options, const char* keyPath = kSettingsKeyPath);

// Writes the options of storedOptions() in their order. Returns how many were written;
// callers may ignore it, as the application does.
int storeAppOptions(const AppOptions& options, const char* keyPath = kSettingsKeyPath);

// Writes hotsyncName (50 bytes, REG_BINARY), as the install run does for each user it
// matches. 0, or -1 on failure.
int storeHotsyncName(const AppOptions& options, const char* keyPath = kSettingsKeyPath);

// Puts userName into hotsyncName (the bytes after its NUL stay as they were) and stores
// it: the user most recently installed to. 0, or -1 when it could not be stored.
int rememberHotsyncUser(AppOptions& options, std::string_view userName,
                        const char* keyPath = kSettingsKeyPath);

}  // namespace quillet

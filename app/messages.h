#pragma once

#include <optional>
#include <string_view>

#include "base/message_sink.h"
#include "format/doc_importer.h"
#include "source/source_loading.h"

namespace quillet {

// The messages Quillet Maker shows a person, each under its fixed caption, word for word.
// The dialog application shows them in message boxes; `quillet` prints them as
// "CAPTION: TEXT". Some texts end in a line break, as the program has always shown them.
struct UserMessage {
  std::string_view caption;
  std::string_view text;
};

namespace messages {

inline constexpr std::string_view kLoadError = "Load Error";
inline constexpr std::string_view kDocCreationError = "Doc Creation Error";
inline constexpr std::string_view kInstallError = "Install Error";
inline constexpr std::string_view kFileImportError = "File Import Error";
inline constexpr std::string_view kRegistryError = "Registry Error";

inline constexpr UserMessage kCannotFindSource{kLoadError, "Cannot find specified source file"};
inline constexpr UserMessage kCannotAllocateWorkBuffer{kLoadError,
                                                       "Cannot allocate work buffer for file"};
inline constexpr UserMessage kCannotWriteTemporary{kDocCreationError,
                                                   "Could not write document to temporary file"};
inline constexpr UserMessage kImportCannotOpen{kFileImportError, "Cannot open specified file\n"};
inline constexpr UserMessage kImportNotDoc{
    kFileImportError,
    "The selected file is not a valid Palm Doc file.\n"
    "If a Palm document or e-book, it may be in incompatible proprietary format."};
inline constexpr UserMessage kImportNoMemory{kFileImportError, "Cannot allocate working memory\n"};
inline constexpr UserMessage kPalmFolderMissing{kRegistryError,
                                                "Cannot locate a path to the Palm folder"};
inline constexpr UserMessage kNoValidUsers{kInstallError, "No valid users selected"};
inline constexpr UserMessage kNoPalmUsers{kInstallError, "No valid Palm users found on this PC"};

}  // namespace messages

// What the user is told when a load fails; nothing for a blank document that cannot be
// had, which fails without a word.
std::optional<UserMessage> loadFailureMessage(LoadStatus status);

// What the user is told when a Doc cannot be imported.
UserMessage importFailureMessage(ImportStatus status);

// Hands the message to the sink.
inline void tell(const MessageSink& sink, const UserMessage& message) {
  if (sink) sink(message.caption, message.text);
}

}  // namespace quillet

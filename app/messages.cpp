#include "app/messages.h"

namespace quillet {

std::optional<UserMessage> loadFailureMessage(LoadStatus status) {
  switch (status) {
    case LoadStatus::kSourceMissing:
      return messages::kCannotFindSource;
    case LoadStatus::kNoWorkBuffer:
      return messages::kCannotAllocateWorkBuffer;
    case LoadStatus::kDocCannotOpen:
      return messages::kImportCannotOpen;
    case LoadStatus::kDocNotDoc:
      return messages::kImportNotDoc;
    case LoadStatus::kDocNoMemory:
      return messages::kImportNoMemory;
    case LoadStatus::kLoaded:
    case LoadStatus::kNoBlankBuffer:
      break;
  }
  return std::nullopt;
}

UserMessage importFailureMessage(ImportStatus status) {
  switch (status) {
    case ImportStatus::kCannotOpen:
      return messages::kImportCannotOpen;
    case ImportStatus::kNoMemory:
      return messages::kImportNoMemory;
    case ImportStatus::kNotDoc:
    case ImportStatus::kImported:
      break;
  }
  return messages::kImportNotDoc;
}

}  // namespace quillet

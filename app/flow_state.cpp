#include "app/flow_state.h"

#include <cstring>

namespace quillet {

namespace {

// Copies text into a slot with its NUL, when it fits.
bool putInSlot(char* slot, std::size_t slotSize, std::string_view text) {
  if (text.size() >= slotSize) return false;
  std::memcpy(slot, text.data(), text.size());
  slot[text.size()] = '\0';
  return true;
}

}  // namespace

bool addCommandLineUser(FlowState& flow, std::string_view name) {
  if (flow.commandLineUserCount >= kCommandLineUsersMax) return false;
  if (!putInSlot(flow.commandLineUsers[flow.commandLineUserCount], kUserNameSlot, name)) {
    return false;
  }
  ++flow.commandLineUserCount;
  return true;
}

bool addInstallFile(FlowState& flow, std::string_view path) {
  if (flow.installFileCount >= kInstallFilesMax) return false;
  if (!putInSlot(flow.installFiles[flow.installFileCount], kInstallPathSlot, path)) return false;
  ++flow.installFileCount;
  return true;
}

FlowRequest pendingRequest(const FlowState& flow) {
  if (flow.cancelRequest != 0) return FlowRequest::kStartOver;
  if (flow.advanceRequest != 0) return FlowRequest::kMoveOn;
  return FlowRequest::kNone;
}

}  // namespace quillet

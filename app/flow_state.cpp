#include "app/flow_state.h"


namespace quillet {

namespace {

// A slot of the program's fixed size holds a text shorter than it; a full list takes none.
bool addToSlots(std::vector<std::string>& slots, int maxSlots, std::size_t slotSize,
                std::string_view text) {
  if (slots.size() >= static_cast<std::size_t>(maxSlots) || text.size() >= slotSize) return false;
  slots.emplace_back(text);
  return true;
}

}  // namespace

bool addCommandLineUser(FlowState& flow, std::string_view name) {
  return addToSlots(flow.commandLineUsers, kCommandLineUsersMax, kUserNameSlot, name);
}

bool addInstallFile(FlowState& flow, std::string_view path) {
  return addToSlots(flow.installFiles, kInstallFilesMax, kInstallPathSlot, path);
}

FlowRequest pendingRequest(const FlowState& flow) {
  if (flow.cancelRequest != 0) return FlowRequest::kStartOver;
  if (flow.advanceRequest != 0) return FlowRequest::kMoveOn;
  return FlowRequest::kNone;
}

}  // namespace quillet

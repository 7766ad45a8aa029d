#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"  // pumpPending: drains the message queue while a step works

namespace quillet {

// The values through which the dialogs, the start-up scan and the install run ask the
// main flow to act, and pass it their results. One FlowState lives in the application
// context; everything touches it on the one user-interface thread.

// The modeless dialog on screen: an HWND on Windows, kept opaque so this stays portable.
using DialogHandle = void*;

inline constexpr int kCommandLineUsersMax = 25;
inline constexpr std::size_t kUserNameSlot = 100;  // names of at most 99 characters
inline constexpr int kInstallFilesMax = 9;
inline constexpr std::size_t kInstallPathSlot = 260;  // paths of at most 259 characters

struct FlowState {
  DialogHandle currentDialog = nullptr;
  int advanceRequest = 0;  // raised by 1 to move on; the main flow sets it to 0
  int cancelRequest = 0;   // 1 abandons the conversion; the main flow clears it
  int quitRequest = 0;     // 1 ends the program at the main flow's next wait
  std::vector<std::string> commandLineUsers;  // for the next install: at most 25, < 100 bytes
  std::vector<std::string> installFiles;      // to install: at most 9, < 260 bytes each
  int selectedUser = 0;  // index into the HotSync user list
};

// Adds a name for the install run. Refused (false, nothing written) when 25 names are held
// already or the name has 100 characters or more: it would not fit its slot.
bool addCommandLineUser(FlowState& flow, std::string_view name);

// Adds a document for the install run. Refused (false, nothing written) when 9 are held
// already or the path has 260 characters or more.
bool addInstallFile(FlowState& flow, std::string_view path);

// What the main flow does after a message has been handled. Starting over wins over
// moving on: a dialog that asks for both (the options dialog when its save dialog is
// closed without a choice) abandons the conversion. Several moves on count as one.
enum class FlowRequest { kNone, kStartOver, kMoveOn };
FlowRequest pendingRequest(const FlowState& flow);

}  // namespace quillet

#include "app/install_step.h"

#include <algorithm>

#include "app/messages.h"

namespace quillet {

InstallRequest installRequestFor(const FlowState& flow, const AppOptions& options) {
  InstallRequest request;
  // The counts are trusted no further than the slots they count.
  const int files = std::clamp(flow.installFileCount, 0, kInstallFilesMax);
  const int names = std::clamp(flow.commandLineUserCount, 0, kCommandLineUsersMax);
  for (int i = 0; i < files; ++i) request.files.emplace_back(fieldText(flow.installFiles[i]));
  for (int i = 0; i < names; ++i) request.userNames.emplace_back(fieldText(flow.commandLineUsers[i]));
  if (options.saveToFile == 0) request.temporaryDocument = fieldText(options.outputPath);
  return request;
}

void applyInstallReport(FlowState& flow, const InstallReport& report, const MessageSink& sink) {
  if (report.lastUser >= 0) flow.selectedUser = report.lastUser;
  flow.installFileCount = 0;
  for (const std::string& file : report.files) addInstallFile(flow, file);
  if (report.matchedNames == 0) {
    tell(sink, messages::kNoValidUsers);
    flow.quitRequest = 1;
  }
  flow.commandLineUserCount = 0;
  flow.advanceRequest += 1;
}

}  // namespace quillet

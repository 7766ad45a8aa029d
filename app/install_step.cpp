#include "app/install_step.h"

#include "app/messages.h"

namespace quillet {

InstallRequest installRequestFor(const FlowState& flow, const AppOptions& options) {
  InstallRequest request;
  request.files = flow.installFiles;
  request.userNames = flow.commandLineUsers;
  if (options.saveToFile == 0) request.temporaryDocument = fieldText(options.outputPath);
  return request;
}

void applyInstallReport(FlowState& flow, const InstallReport& report, const MessageSink& sink) {
  if (report.lastUser >= 0) flow.selectedUser = report.lastUser;
  flow.installFiles = report.files;
  if (report.matchedNames == 0) {
    tell(sink, messages::kNoValidUsers);
    flow.quitRequest = 1;
  }
  flow.commandLineUsers.clear();
  flow.advanceRequest += 1;
}

}  // namespace quillet

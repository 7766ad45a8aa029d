#include "app/install_dialogs.h"

#include <string>

#include "app/resources/resource_ids.h"
#include "platform/files.h"

namespace quillet {

int preselectedUser(const PalmUserList& users, const AppOptions& options) {
  const std::string_view wanted = fieldText(options.hotsyncName);
  int preselected = 0;
  for (int i = 0; i < users.userCount; ++i) {
    if (fieldText(users.entries[i].userName) == wanted) preselected = i;
  }
  return preselected;
}

int chosenUser(int listSelection, const PalmUserList& users) {
  return listSelection >= 0 && listSelection < users.userCount ? listSelection : 0;
}

void cancelUserSelection(const AppOptions& options, FlowState& flow) {
  const std::string_view outputPath = fieldText(options.outputPath);
  if (options.saveToFile == 0 && !outputPath.empty()) deleteFile(std::string(outputPath).c_str());
  flow.cancelRequest = 1;
}

int conversionCompleteTemplate(const AppOptions& options) {
  return options.saveToFile != 0 ? IDD_COMPLETE_SAVED : IDD_COMPLETE_INSTALLED;
}

}  // namespace quillet

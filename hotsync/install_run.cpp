#include "hotsync/install_run.h"

#include <algorithm>
#include <utility>

#include "hotsync/install_flag.h"
#include "hotsync/install_target.h"
#include "platform/files.h"

namespace {

template <typename Callback, typename... Args>
void call(const Callback& callback, Args&&... args) {
  if (callback) callback(std::forward<Args>(args)...);
}

char foldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsFoldingAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldAsciiCase(x) == foldAsciiCase(y);
         });
}

// One of the two copies of a document for a user.
void copyDocument(const InstallOptions& install, const std::string& from, const char* target,
                  bool formed, const InstallSource& source, std::string_view userName,
                  bool backup) {
  // An empty database name targets the folder itself: that copy can only fail, or, where
  // a plain file bears the folder's name, replace that file. It is not attempted.
  CopyProblem problem = CopyProblem::kCopyFailed;
  if (!formed) {
    problem = CopyProblem::kTargetTooLong;
  } else if (source.databaseName.empty()) {
    problem = CopyProblem::kNoDatabaseName;
  } else if (copyFileReplacing(from.c_str(), target)) {
    return;
  }
  call(install.copyFailed, FailedCopy{from, target, userName, backup, problem});
}

void installDocument(const PalmUserList& users, char* path, std::string_view userName,
                     const InstallOptions& install) {
  call(install.pump);
  trimInstallPath(path, kInstallPathSlot);
  const std::string from(fieldText(path, kInstallPathSlot));
  const InstallSource source = readInstallSource(from);

  char installTarget[kInstallTargetSize];
  char backupTarget[kInstallTargetSize];
  const bool installFormed = installTargetPath(installTarget, sizeof installTarget, users, userName,
                                               source.databaseName, source.resource, false) == 0;
  const bool backupFormed = installTargetPath(backupTarget, sizeof backupTarget, users, userName,
                                              source.databaseName, source.resource, true) == 0;

  call(install.showStatus, installStatusText(source.databaseName, userName, installTarget).c_str());
  copyDocument(install, from, installTarget, installFormed, source, userName, false);
  call(install.stepBar);
  copyDocument(install, from, backupTarget, backupFormed, source, userName, true);
  call(install.stepBar);
  call(install.pause, kPausePerInstalledFileMilliseconds);
  call(install.showStatus, kInstallDoneStatus);
}

}  // namespace

int findUserIgnoringCase(const PalmUserList& users, std::string_view name) {
  const int count = std::clamp(users.userCount, 0, kPalmUsersMax);
  for (int i = 0; i < count; ++i) {
    if (equalsFoldingAsciiCase(fieldText(users.entries[i].userName), name)) return i;
  }
  return -1;
}

std::string installStatusText(std::string_view databaseName, std::string_view userName,
                              std::string_view target) {
  std::string text = "Installing '";
  text += databaseName;
  text += "' to user '";
  text += userName;
  text += "'\n\n(";
  text += target;
  text += ")...";
  if (text.size() >= kInstallStatusSize) text.resize(kInstallStatusSize - 1);
  return text;
}

int runInstall(const PalmUserList& users, FlowState& flow, AppOptions& options,
               const InstallOptions& install, const MessageSink& messages) {
  if (install.createProgress) {
    const DialogHandle progress = install.createProgress();
    if (progress == nullptr) return kInstallProgressMissing;
    flow.currentDialog = progress;
  }
  // The counts are trusted no further than the slots they count.
  const int fileCount = std::clamp(flow.installFileCount, 0, kInstallFilesMax);
  const int nameCount = std::clamp(flow.commandLineUserCount, 0, kCommandLineUsersMax);

  call(install.setBarRange, static_cast<std::uint16_t>(2 * fileCount));
  call(install.setBarStep, 1);
  call(install.showProgress);

  int matched = 0;
  for (int n = 0; n < nameCount; ++n) {
    const int index = findUserIgnoringCase(users, fieldText(flow.commandLineUsers[n]));
    if (index < 0) continue;
    flow.selectedUser = index;
    ++matched;
    const std::string userName(fieldText(users.entries[index].userName));
    setFieldText(options.hotsyncName, userName);
    storeHotsyncName(options, install.settingsKey);
    for (int f = 0; f < fileCount; ++f) {
      installDocument(users, flow.installFiles[f], userName, install);
    }
    markUserForInstall(users, userName, install.keys);
  }

  const std::string outputPath(fieldText(options.outputPath));
  if (options.saveToFile == 0 && !outputPath.empty()) deleteFile(outputPath.c_str());
  if (matched == 0) {
    if (messages) messages(kInstallErrorCaption, kNoValidUsersText);
    flow.quitRequest = 1;
  }
  flow.commandLineUserCount = 0;
  flow.advanceRequest += 1;
  return matched;
}

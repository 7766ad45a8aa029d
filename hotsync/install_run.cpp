#include "hotsync/install_run.h"

#include <algorithm>
#include <utility>

#include "base/ascii.h"
#include "hotsync/install_flag.h"
#include "hotsync/install_target.h"
#include "platform/files.h"

namespace quillet {

namespace {

template <typename Callback, typename... Args>
void call(const Callback& callback, Args&&... args) {
  if (callback) callback(std::forward<Args>(args)...);
}

// One of the two copies of a document for a user.
void copyDocument(const InstallDisplay& display, InstallReport& report, const std::string& from,
                  const char* target, bool formed, const InstallSource& source,
                  std::string_view userName, bool backup) {
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
  report.failedCopies.push_back(FailedCopy{from, target, std::string(userName), backup, problem});
  call(display.copyFailed, report.failedCopies.back());
}

void installDocument(const PalmUserList& users, const std::string& from, std::string_view userName,
                     const InstallDisplay& display, InstallReport& report) {
  call(display.pump);
  const InstallSource source = readInstallSource(from);

  char installTarget[kInstallTargetSize];
  char backupTarget[kInstallTargetSize];
  const bool installFormed = installTargetPath(installTarget, sizeof installTarget, users, userName,
                                               source.databaseName, source.resource, false) == 0;
  const bool backupFormed = installTargetPath(backupTarget, sizeof backupTarget, users, userName,
                                              source.databaseName, source.resource, true) == 0;

  call(display.showStatus, installStatusText(source.databaseName, userName, installTarget).c_str());
  copyDocument(display, report, from, installTarget, installFormed, source, userName, false);
  call(display.stepBar);
  copyDocument(display, report, from, backupTarget, backupFormed, source, userName, true);
  call(display.stepBar);
  call(display.pause, kPausePerInstalledFileMilliseconds);
  call(display.showStatus, kInstallDoneStatus);
}

}  // namespace

int findUserIgnoringCase(const PalmUserList& users, std::string_view name) {
  const int count = std::clamp(users.userCount, 0, kPalmUsersMax);
  for (int i = 0; i < count; ++i) {
    if (equalsIgnoringAsciiCase(fieldText(users.entries[i].userName), name)) return i;
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

InstallReport runInstall(const PalmUserList& users, const InstallRequest& request,
                         const InstallDisplay& display) {
  InstallReport report;
  if (display.open && !display.open()) {
    report.displayMissing = true;
    return report;
  }
  call(display.setBarRange, static_cast<std::uint16_t>(2 * request.files.size()));
  call(display.setBarStep, 1);
  call(display.show);

  for (const std::string& file : request.files) report.files.push_back(trimmedInstallPath(file));
  for (const std::string& name : request.userNames) {
    const int index = findUserIgnoringCase(users, name);
    if (index < 0) continue;
    report.lastUser = index;
    ++report.matchedNames;
    call(display.userMatched, index);
    const std::string userName(fieldText(users.entries[index].userName));
    for (const std::string& file : report.files) {
      installDocument(users, file, userName, display, report);
    }
    markUserForInstall(users, userName, request.keys);
  }
  if (!request.temporaryDocument.empty()) deleteFile(request.temporaryDocument.c_str());
  return report;
}

}  // namespace quillet

#include "app/win32/main_flow.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/conversion.h"
#include "app/install_dialogs.h"
#include "app/install_step.h"
#include "app/messages.h"
#include "app/resources/resource_ids.h"
#include "app/win32/install_run_win32.h"
#include "app/win32/message_box.h"
#include "app/win32/message_loop.h"
#include "app/startup_scan.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"

namespace quillet {

namespace {

// The step numbers, in the order a conversion runs them.
enum Step { kOptionsStep, kLoadStep, kBuildStep, kInstallStep, kCompleteStep, kRestartStep };

// What the flow does once a step has done its work.
enum class Next { kWait, kMoveOn, kStartOver, kEnd };

class MainFlow {
 public:
  MainFlow(const Win32Launch& launch, AppContext& context)
      : launch_(launch), context_(context), flow_(context.flow), options_(context.options) {}

  int run();

 private:
  Next moveOn();
  Next startOver();
  Next wait();
  Next runStep(int step);

  Next optionsStep();
  Next loadStep();
  Next buildStep();
  Next installStep();
  Next completeStep();
  Next restartStep();
  Next install();

  // Shows one of the program's dialogs as the current one; false when it cannot be made.
  bool showDialog(int templateId);
  void destroyCurrentDialog();
  void readCommandLineUsers();

  const Win32Launch& launch_;
  AppContext& context_;
  FlowState& flow_;
  AppOptions& options_;
  int nextStep_ = kOptionsStep;
};

int MainFlow::run() {
  const int scanned = startupScan(
      context_.users, flow_,
      [this] {
        return static_cast<DialogHandle>(openProgramDialog(launch_, context_, IDD_SCAN_SPLASH));
      },
      splashScanOptions(flow_), messageBoxSink());
  if (scanned == -2) return 0;
  readCommandLineUsers();
  nextStep_ = kOptionsStep;
  Next next = Next::kMoveOn;
  while (next != Next::kEnd) {
    switch (next) {
      case Next::kMoveOn:
        next = moveOn();
        break;
      case Next::kStartOver:
        next = startOver();
        break;
      case Next::kWait:
        next = wait();
        break;
      case Next::kEnd:
        break;
    }
  }
  destroyCurrentDialog();
  return 0;
}

void MainFlow::readCommandLineUsers() {
  // Names beyond the 25 slots, or too long for one, are refused by the slots themselves.
  for (const std::string& name : commandLineUserNames(context_.commandLine)) {
    addCommandLineUser(flow_, name);
  }
}

Next MainFlow::moveOn() {
  destroyCurrentDialog();
  flow_.advanceRequest = 0;
  return runStep(nextStep_++);
}

Next MainFlow::startOver() {
  destroyCurrentDialog();
  releaseWorkText(context_.text);
  nextStep_ = kOptionsStep;
  flow_.cancelRequest = 0;
  return moveOn();
}

Next MainFlow::wait() {
  if (flow_.quitRequest != 0) return Next::kEnd;
  // A request made by the step itself (the install run raises advanceRequest before the
  // flow waits) is acted on at once rather than after the next message, which might
  // never come. The wait leaves the request it ended on set.
  if (pendingRequest(flow_) == FlowRequest::kNone && waitForRequest(flow_) == WaitOutcome::kQuit) {
    return Next::kEnd;
  }
  return pendingRequest(flow_) == FlowRequest::kStartOver ? Next::kStartOver : Next::kMoveOn;
}

Next MainFlow::runStep(int step) {
  switch (step) {
    case kOptionsStep:
      return optionsStep();
    case kLoadStep:
      return loadStep();
    case kBuildStep:
      return buildStep();
    case kInstallStep:
      return installStep();
    case kCompleteStep:
      return completeStep();
    case kRestartStep:
      return restartStep();
    default:
      return Next::kWait;  // nothing runs beyond the last step
  }
}

bool MainFlow::showDialog(int templateId) {
  HWND dialog = openProgramDialog(launch_, context_, templateId);
  flow_.currentDialog = dialog;
  return dialog != nullptr;
}

void MainFlow::destroyCurrentDialog() {
  if (flow_.currentDialog != nullptr) DestroyWindow(static_cast<HWND>(flow_.currentDialog));
  flow_.currentDialog = nullptr;
}

// A dialog the flow needs that cannot be made ends the program: waiting with nothing on
// screen would leave the user no way on and no way out.
Next MainFlow::optionsStep() { return showDialog(IDD_OPTIONS) ? Next::kWait : Next::kEnd; }

Next MainFlow::loadStep() {
  const MessageSink sink = messageBoxSink();
  const BookSource source{options_.sourceType, std::string(fieldText(options_.sourcePath)),
                          options_.stripLineBreaks != 0, options_.publicFormat != 0};
  const LoadStatus loaded = loadBook(context_.text, source);
  if (loaded != LoadStatus::kLoaded) {
    if (const auto message = loadFailureMessage(loaded)) tell(sink, *message);
    nextStep_ = kOptionsStep;
    return Next::kMoveOn;
  }
  if (options_.showPreview == 0 && options_.sourceType != kSourceBlankDoc) return buildStep();
  if (!expandLineEnds(context_.text)) {
    // The same answer as every other load that runs out of memory.
    tell(sink, messages::kCannotAllocateWorkBuffer);
    nextStep_ = kOptionsStep;
    return Next::kMoveOn;
  }
  return showDialog(IDD_PREVIEW) ? Next::kWait : Next::kEnd;
}

Next MainFlow::buildStep() {
  nextStep_ = kInstallStep;
  const MessageSink sink = messageBoxSink();
  // Saving to a file builds the file the user chose; installing, a temporary document.
  std::string output(options_.saveToFile != 0 ? fieldText(options_.outputPath) : "");
  const MakeStatus made =
      makeBook(context_.text, output, options_.palmName, options_.publicFormat != 0);
  if (options_.saveToFile == 0 && made != MakeStatus::kNoBuildFile) {
    setFieldText(options_.outputPath, output);
  }
  if (made != MakeStatus::kMade) {
    tell(sink, messages::kCannotWriteTemporary);
    // A database the user chose stays as the builder left it; a temporary one is of use
    // to nobody and would only litter the temporary folder.
    if (made == MakeStatus::kNotBuilt && options_.saveToFile == 0) std::remove(options_.outputPath);
    nextStep_ = kOptionsStep;
    return Next::kMoveOn;
  }
  flow_.installFiles.clear();
  addInstallFile(flow_, options_.outputPath);
  if (options_.saveToFile != 0) {
    nextStep_ = kCompleteStep;
    return Next::kMoveOn;
  }
  if (context_.users.userCount == 0) {
    tell(sink, messages::kNoPalmUsers);
    flow_.quitRequest = 1;
    nextStep_ = kCompleteStep;
    return installStep();
  }
  if (!flow_.commandLineUsers.empty()) {
    nextStep_ = kCompleteStep;
    return install();
  }
  if (showDialog(IDD_USER_SELECT)) return Next::kWait;
  nextStep_ = kCompleteStep;
  return installStep();
}

Next MainFlow::installStep() {
  if (flow_.commandLineUsers.empty()) {
    // The user picked in the list; an empty name when there is none, which matches nobody.
    const bool known = flow_.selectedUser >= 0 && flow_.selectedUser < context_.users.userCount;
    addCommandLineUser(flow_, known ? fieldText(context_.users.entries[flow_.selectedUser].userName)
                                    : std::string_view());
  }
  return install();
}

Next MainFlow::install() {
  const InstallReport report =
      installWithProgressDialog(launch_, context_, installRequestFor(flow_, options_));
  if (!report.displayMissing) {
    applyInstallReport(flow_, report, messageBoxSink());
    return Next::kWait;  // advanceRequest is raised: on to the completion
  }
  // Without its progress dialog nothing was installed. Going on to the completion dialog
  // would tell the user to HotSync a document that is in no install folder, so the
  // program ends, as it does when its other dialogs cannot be made, leaving no
  // temporary document behind.
  if (options_.saveToFile == 0 && options_.outputPath[0] != '\0') std::remove(options_.outputPath);
  return Next::kEnd;
}

Next MainFlow::completeStep() {
  if (flow_.quitRequest != 0) return Next::kEnd;
  return showDialog(conversionCompleteTemplate(options_)) ? Next::kWait : Next::kEnd;
}

Next MainFlow::restartStep() {
  releaseWorkText(context_.text);
  nextStep_ = kOptionsStep;
  return Next::kMoveOn;
}

}  // namespace

int runMainFlow(const Win32Launch& launch, AppContext& context) {
  return MainFlow(launch, context).run();
}

}  // namespace quillet

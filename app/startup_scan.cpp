#include "app/startup_scan.h"

#include "app/messages.h"
#include "app/resources/resource_ids.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace quillet {

int startupScan(PalmUserList& users, FlowState& flow,
                const std::function<DialogHandle()>& createSplash, const ScanOptions& options,
                const MessageSink& sink) {
  const DialogHandle splash = createSplash();
  if (splash == nullptr) return -2;
  flow.currentDialog = splash;
  flow.advanceRequest = 0;
  if (scanPalmUsers(users, options) == PalmScan::kNoPalmFolder) {
    tell(sink, messages::kPalmFolderMissing);
  }
  if (options.showStatus) options.showStatus("Done");
  if (options.pause) options.pause(kPauseAfterScanMilliseconds);
  return 0;
}

void showScanStatus(const FlowState& flow, const char* text) {
  setDialogItemText(flow.currentDialog, IDC_SCAN_STATUS, text);
  pumpPending();
}

ScanOptions splashScanOptions(const FlowState& flow) {
  ScanOptions options;
  options.showStatus = [&flow](const char* text) { showScanStatus(flow, text); };
  options.pause = sleepMilliseconds;
  return options;
}

}  // namespace quillet

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

#include "base/cleanup.h"
#include "platform/interrupts.h"

namespace quillet {

namespace {

void unlinkPath(const char* path) { ::unlink(path); }

// Only async-signal-safe calls: unlink, sigaction, raise.
void onInterrupt(int signal) {
  forEachFileToCleanUp(unlinkPath);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  ::sigaction(signal, &standard, nullptr);
  ::raise(signal);  // ends the process as the signal would have
}

}  // namespace

void removeScratchFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  // A file grown past the size limit would end the program where it stands, scratch file
  // and all; ignored, the write fails (EFBIG) and is told like any other.
  ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace quillet

#pragma once

namespace quillet {

// Files that must go if the process is interrupted before they are finished: scratch files
// that would otherwise be left beside the user's files. The table is read by the interrupt
// handler (platform/interrupts.h), so it holds plain pointers in fixed slots; each owner
// keeps its path alive, unchanged, while it is registered.
class CleanupRegistration {
 public:
  CleanupRegistration() = default;
  CleanupRegistration(const CleanupRegistration&) = delete;
  CleanupRegistration& operator=(const CleanupRegistration&) = delete;
  ~CleanupRegistration() { release(); }

  // From now on the file at path is removed on an interrupt. REQUIRES: path stays valid
  // and unchanged until release().
  void track(const char* path);

  // The file is finished (or gone): it is no longer removed on an interrupt.
  void release();

 private:
  int slot_ = -1;
};

// Calls remove for every registered path. Safe in a signal handler: it reads the slots
// and calls nothing else.
void forEachFileToCleanUp(void (*remove)(const char* path));

}  // namespace quillet

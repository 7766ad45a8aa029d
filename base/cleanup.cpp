#include "base/cleanup.h"

#include <atomic>

namespace quillet {

namespace {

// More scratch files than this at once would be a batch of many books on many threads;
// one that finds no slot is simply not removed on an interrupt.
constexpr int kSlots = 256;
std::atomic<const char*> gFilesToCleanUp[kSlots];

}  // namespace

void CleanupRegistration::track(const char* path) {
  release();
  for (int i = 0; i < kSlots; ++i) {
    const char* empty = nullptr;
    if (gFilesToCleanUp[i].compare_exchange_strong(empty, path)) {
      slot_ = i;
      return;
    }
  }
}

void CleanupRegistration::release() {
  if (slot_ >= 0) gFilesToCleanUp[slot_].store(nullptr);
  slot_ = -1;
}

void forEachFileToCleanUp(void (*remove)(const char* path)) {
  for (auto& slot : gFilesToCleanUp) {
    if (const char* path = slot.load()) remove(path);
  }
}

}  // namespace quillet

#include "platform/clipboard.h"

#include "platform/win32/windows_api.h"

#include <cstring>

namespace quillet {

namespace {

// Opens the clipboard without an owner window for the lifetime of the object.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(OpenClipboard(nullptr) != 0) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool readClipboardText(std::string& text) {
  OpenedClipboard clipboard;
  if (!clipboard || !IsClipboardFormatAvailable(CF_TEXT)) return false;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data == nullptr) return false;
  const auto* locked = static_cast<const char*>(GlobalLock(data));
  if (locked == nullptr) return false;
  // The data is NUL-terminated text; never read past the block that holds it.
  text.assign(locked, strnlen(locked, GlobalSize(data)));
  GlobalUnlock(data);
  return true;
}

bool writeClipboardText(std::string_view text) {
  OpenedClipboard clipboard;
  if (!clipboard || !EmptyClipboard()) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block == nullptr) return false;
  auto* bytes = static_cast<char*>(GlobalLock(block));
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  GlobalUnlock(block);
  if (SetClipboardData(CF_TEXT, block) == nullptr) {
    GlobalFree(block);
    return false;
  }
  return true;  // the clipboard owns the block now
}

void emptyClipboard() {
  OpenedClipboard clipboard;
  if (clipboard) EmptyClipboard();
}

}  // namespace quillet

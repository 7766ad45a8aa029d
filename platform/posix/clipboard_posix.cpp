#include "platform/clipboard.h"

#include <optional>

namespace quillet {

namespace {
// POSIX has no system clipboard: this process's own stand-in.
std::optional<std::string>& processClipboard() {
  static std::optional<std::string> text;
  return text;
}
}  // namespace

bool readClipboardText(std::string& text) {
  if (!processClipboard()) return false;
  const std::string& held = *processClipboard();
  text.assign(held.c_str());  // up to the first NUL, as CF_TEXT is read
  return true;
}

bool writeClipboardText(std::string_view text) {
  processClipboard() = std::string(text);
  return true;
}

void emptyClipboard() { processClipboard().reset(); }

}  // namespace quillet

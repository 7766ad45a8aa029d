#include "app/win32/message_box.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace quillet {

void showMessageBox(std::string_view caption, std::string_view text) {
  const std::string captionText(caption);
  const std::string messageText(text);
  MessageBoxA(nullptr, messageText.c_str(), captionText.c_str(), MB_OK);
}

MessageSink messageBoxSink() { return showMessageBox; }

}  // namespace quillet

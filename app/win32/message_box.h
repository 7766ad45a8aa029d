#pragma once

#include <string_view>

#include "base/message_sink.h"

namespace quillet {

// The program's failure messages: a message box with no owner window, an OK button only
// and no icon, under the message's fixed caption. Returns when it has been answered.
void showMessageBox(std::string_view caption, std::string_view text);

// A MessageSink that shows each message with showMessageBox.
MessageSink messageBoxSink();

}  // namespace quillet

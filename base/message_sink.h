#pragma once

#include <functional>
#include <string_view>

namespace quillet {

// Where user-facing failure messages go. The dialog application shows each one in a
// message box (caption, OK button, no owner); the command line prints "CAPTION: TEXT" on
// standard error; tests record them. The texts are the program's fixed messages, passed
// through unchanged (some end in a line break).
using MessageSink = std::function<void(std::string_view caption, std::string_view text)>;

}  // namespace quillet

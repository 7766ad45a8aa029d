#pragma once

#include <string>

namespace quillet {

// A new, empty file with a unique name in the system's temporary folder, created
// atomically so that no other program can take the same name; its path, or an empty
// string when none could be made. The caller deletes it.
std::string createTemporaryFile();

}  // namespace quillet

#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace quillet {

// Writes a new file beside `target` (its name followed by `suffix` and a unique part,
// created exclusively), through `fill` on the new file's descriptor, gives it `mode`,
// optionally forces it to disk, and renames it over `target`. False, with the new file
// removed and the target as it was, when any step fails.
bool replaceFileWith(const std::string& target, const char* suffix, mode_t mode, bool sync,
                     const std::function<bool(int descriptor)>& fill);

// Writes size bytes to the descriptor, resuming after interruptions.
bool writeAll(int descriptor, const char* bytes, std::size_t size);

}  // namespace quillet

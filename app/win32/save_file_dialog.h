#pragma once

#include <cstddef>

#include "platform/win32/windows_api.h"

namespace quillet {

// The common save-file dialog as the program's dialogs ask for an output file: owned by
// `owner`, one filter (selected), no initial folder, explorer style, the folder must
// exist, the read-only box hidden, and no question before an existing file is replaced.
// `path` (size bytes) holds the initial name and receives the chosen path. True when the
// user chose a file.
bool chooseSaveFile(HWND owner, const char* filter, const char* title, const char* defaultExtension,
                    char* path, std::size_t size);

}  // namespace quillet

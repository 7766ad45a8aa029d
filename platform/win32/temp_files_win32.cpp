#include "platform/temp_files.h"

#include "platform/win32/windows_api.h"

namespace quillet {

std::string createTemporaryFile() {
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > sizeof folder) return {};
  char name[MAX_PATH];
  // Creates the file, so the name is ours alone.
  if (GetTempFileNameA(folder, "qlt", 0, name) == 0) return {};
  return name;
}

}  // namespace quillet

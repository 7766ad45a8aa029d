#include "app/win32/save_file_dialog.h"

#include <commdlg.h>

namespace quillet {

bool chooseSaveFile(HWND owner, const char* filter, const char* title, const char* defaultExtension,
                    char* path, std::size_t size) {
  OPENFILENAMEA save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = owner;
  save.lpstrFilter = filter;
  save.nFilterIndex = 1;
  save.lpstrFile = path;
  save.nMaxFile = static_cast<DWORD>(size);
  save.lpstrTitle = title;
  // No OFN_OVERWRITEPROMPT: an existing file is replaced without a question.
  save.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  save.lpstrDefExt = defaultExtension;
  return GetSaveFileNameA(&save) != 0;
}

}  // namespace quillet

#pragma once

// Reads a dialog template from a module's resources (DIALOG and DIALOGEX alike), so that
// tests can compare the compiled templates with the layout they must have.

#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

namespace quillet {

struct TemplateControl {
  DWORD style = 0;
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string className;  // "Button", "Static", "ListBox", ... or the name written
  std::string text;       // "" when the text is an ordinal
  int textOrdinal = -1;   // a resource number given as the text (a picture's bitmap)
};

struct DialogTemplate {
  bool extended = false;  // DIALOGEX
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string title;
  int pointSize = 0;
  std::string font;
  std::vector<TemplateControl> controls;  // in template order
};

// False when the module has no such template or it cannot be read.
bool readDialogTemplate(HMODULE module, int templateId, DialogTemplate& result);

}  // namespace quillet

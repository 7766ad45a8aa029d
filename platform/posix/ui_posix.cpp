#include "platform/ui.h"

namespace quillet {

void pumpPending() {}  // no message queue without the Windows user interface

void setDialogItemText(void*, int, const char*) {}  // no dialogs either

}  // namespace quillet

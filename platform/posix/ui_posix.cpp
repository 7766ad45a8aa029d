#include "platform/ui.h"

void pumpPending() {}  // no message queue without the Windows user interface

void setDialogItemText(void*, int, const char*) {}  // no dialogs either

#include "platform/ui.h"

void pumpPending() {}  // no message queue without the Windows user interface

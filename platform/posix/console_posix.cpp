#include "platform/console.h"

void useBinaryStandardStreams() {}  // POSIX streams never translate

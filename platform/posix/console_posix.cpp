#include <unistd.h>

#include "platform/console.h"

namespace quillet {

void useBinaryStandardStreams() {}  // POSIX streams never translate

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace quillet

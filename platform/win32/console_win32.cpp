#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace quillet {

void useBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace quillet

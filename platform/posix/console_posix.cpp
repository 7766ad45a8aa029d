#include "platform/console.h"

namespace quillet {

void useBinaryStandardStreams() {}  // POSIX streams never translate

}  // namespace quillet

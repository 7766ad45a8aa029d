#pragma once

namespace quillet {

// Standard input and output carry bytes, never translated line ends.
void useBinaryStandardStreams();

// Whether standard error is a terminal (a person watching), not a file or a pipe.
bool standardErrorIsTerminal();

}  // namespace quillet

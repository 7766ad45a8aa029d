#pragma once

namespace quillet {

// Standard input and output carry bytes, never translated line ends.
void useBinaryStandardStreams();

}  // namespace quillet

#pragma once

// Standard input and output carry bytes, never translated line ends.
void useBinaryStandardStreams();

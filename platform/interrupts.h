#pragma once

namespace quillet {

// When the user interrupts the program (Ctrl-C, SIGINT, SIGTERM, SIGHUP; on Windows also
// Ctrl-Break and closing the console), the files registered for cleanup (base/cleanup.h)
// are removed and the program ends at once: on POSIX by the signal itself (a shell shows
// 128 + its number, 130 for Ctrl-C), on Windows with exit code 130. Files that were
// complete already, and an output that a scratch file was to replace, stay as they are.
// A file that grows past the system's size limit fails its write instead of ending the
// program.
void removeScratchFilesOnInterrupt();

}  // namespace quillet

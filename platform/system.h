#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillet {

// A block of at least `bytes` for free() and realloc(), taken where the system can fill it
// with large pages (POSIX: aligned to 2 MB and advised so, which turns a 5 MB text's 1,200
// page faults into a handful); nullptr when there is no memory. Windows: plain malloc.
char* allocateInLargePages(std::size_t bytes);

// Asks the allocator to keep what the program frees for its next allocations rather than
// give it back to the system at once, which a command making book after book paid for
// with the same pages faulted in again for every book. Blocks of 4 MB and more still come
// from the system and go back to it whole, so a large book's memory is not held.
// Call it first thing in main. POSIX with glibc only; elsewhere it does nothing.
void keepFreedMemoryForReuse();

// Blocks the calling thread for at least `milliseconds`.
void sleepMilliseconds(unsigned milliseconds);

// The whole command line as one text, program path included. Windows: exactly the line
// the system keeps (GetCommandLineA). POSIX: the arguments given to
// setCommandLineArguments joined with blanks, each one that is empty or holds a blank or
// tab in double quotes; empty until it is called.
std::string wholeCommandLine();

// The program's arguments (program path first) as Unicode text in UTF-8, for the words a
// person typed as text, such as a book's name. POSIX: the bytes given to
// setCommandLineArguments, which a UTF-8 terminal passes as UTF-8. Windows: read from
// the command line as Unicode, not through the ANSI code page.
std::vector<std::string> utf8Arguments();

// Hands main's arguments to the POSIX backend; Windows ignores them (the system keeps its
// own line). Programs call it first thing in main. REQUIRES: argv holds argc texts.
void setCommandLineArguments(int argc, const char* const* argv);

}  // namespace quillet

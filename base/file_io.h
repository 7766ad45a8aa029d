#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace quillet {

// The file operations behind everything the programs write: creating, writing, closing,
// renaming. They are the C library's own, with one addition: a test can make any of them
// fail with the error the system would give (a full disk, a folder that refuses), so that
// every failure path is tried without a broken disk. On failure errno holds the reason.

// fopen for writing; exclusive ("x" in mode) fails when the file exists, where the C
// library allows it.
std::FILE* createFile(const char* path, const char* mode);
// True when all size bytes went into the stream.
bool writeToFile(std::FILE* file, const void* bytes, std::size_t size);
// fflush; true when everything buffered reached the system.
bool flushFile(std::FILE* file);
// fclose; true when the last buffered bytes were written and the file closed.
bool closeFile(std::FILE* file);
// std::rename.
bool renameFile(const char* from, const char* to);

// For tests: the next `count` operations of one kind (after `skip` that succeed) fail with
// `error`. Faults are per process and cleared by clearFileFaults.
enum class FileOp { kCreate, kWrite, kFlush, kClose, kRename };
struct FileFault {
  FileOp op;
  int error;      // an errno value: ENOSPC, EACCES, ...
  int skip = 0;   // operations of that kind that still succeed first
  int count = 1;  // how many fail after those
};
void injectFileFault(const FileFault& fault);
void clearFileFaults();
// True (errno set) when an injected fault makes this operation fail: what the platform's
// own file calls ask before they act.
bool injectedFault(FileOp op);

// A person's words for a failed write of `what` (a quoted file name, or "standard output")
// with errno `error`: "disk full while writing 'x'" for a full disk, "cannot write 'x':
// <reason>" otherwise.
std::string describeWriteFailure(std::string_view what, int error);

}  // namespace quillet

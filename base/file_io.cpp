#include "base/file_io.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace quillet {

namespace {

std::mutex gFaultsLock;
std::vector<FileFault> gFaults;  // tests only; empty in the programs

}  // namespace

bool injectedFault(FileOp op) {
  std::lock_guard<std::mutex> lock(gFaultsLock);
  for (FileFault& fault : gFaults) {
    if (fault.op != op || fault.count == 0) continue;
    if (fault.skip > 0) {
      --fault.skip;
      return false;
    }
    --fault.count;
    errno = fault.error;
    return true;
  }
  return false;
}

std::FILE* createFile(const char* path, const char* mode) {
  if (injectedFault(FileOp::kCreate)) return nullptr;
  return std::fopen(path, mode);
}

bool writeToFile(std::FILE* file, const void* bytes, std::size_t size) {
  if (size == 0) return true;
  if (injectedFault(FileOp::kWrite)) return false;
  return std::fwrite(bytes, 1, size, file) == size;
}

bool flushFile(std::FILE* file) {
  if (injectedFault(FileOp::kFlush)) return false;
  return std::fflush(file) == 0;
}

bool closeFile(std::FILE* file) {
  if (injectedFault(FileOp::kClose)) {
    const int error = errno;
    std::fclose(file);  // closed all the same, as a close that fails is
    errno = error;
    return false;
  }
  return std::fclose(file) == 0;
}

bool renameFile(const char* from, const char* to) {
  if (injectedFault(FileOp::kRename)) return false;
  return std::rename(from, to) == 0;
}

void injectFileFault(const FileFault& fault) {
  std::lock_guard<std::mutex> lock(gFaultsLock);
  gFaults.push_back(fault);
}

void clearFileFaults() {
  std::lock_guard<std::mutex> lock(gFaultsLock);
  gFaults.clear();
}

std::string describeWriteFailure(std::string_view what, int error) {
  const std::string name(what);
  if (error == ENOSPC) return "disk full while writing " + name;
#ifdef EDQUOT
  if (error == EDQUOT) return "disk quota exceeded while writing " + name;
#endif
  return "cannot write " + name + ": " + std::strerror(error != 0 ? error : EIO);
}

}  // namespace quillet

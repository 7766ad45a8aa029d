#include "format/pdb_writer.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/file_handle.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "format/byte_order.h"
#include "platform/files.h"

namespace quillet {

namespace {

constexpr std::size_t kCopyBlock = 64 * 1024;

// Copies the rest of from into to, in blocks. False when a read or write failed.
bool copyRest(std::FILE* from, std::FILE* to) {
  std::vector<unsigned char> block(kCopyBlock);
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), from);
    if (got > 0 && !writeToFile(to, block.data(), got)) return false;
    if (got < block.size()) return !std::ferror(from);
  }
}

// Puts the database back under its own name after a failed rewrite.
std::FILE* restore(const std::string& tempPath, const char* path) {
  std::remove(path);
  std::rename(tempPath.c_str(), path);
  return nullptr;
}

// A scratch name beside the database that nobody else has: the file is made exclusively
// first, and the database then moved over it. Empty when none can be had.
std::string reserveScratchBeside(const char* path) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string name = siblingPath(path, std::string(kPdbAppendTempName) + "." + uniqueFileToken());
    if (createNewFile(name.c_str())) return name;
    if (errno != EEXIST) break;
  }
  return {};
}

}  // namespace

PdbHeaderTemplate pdbHeaderTemplate() {
  PdbHeaderTemplate t{};
  std::memset(t.data(), 0xFF, 24);  // name fill; bytes 24 to 31 stay 0x00
  storeBE16(&t[32], kPdbBackupAttribute);
  storeBE32(&t[36], kPdbFixedDate);
  storeBE32(&t[40], kPdbFixedDate);
  storeBE32(&t[44], kPdbFixedDate);
  storeBE32(&t[48], 1);  // modification number
  return t;
}

PdbHeader parsePdbHeader(const unsigned char* b) {
  PdbHeader h{};
  std::memcpy(h.name, b, kPdbNameSize);
  h.attributes = loadBE16(b + 32);
  h.version = loadBE16(b + 34);
  h.creationDate = loadBE32(b + 36);
  h.modificationDate = loadBE32(b + 40);
  h.lastBackupDate = loadBE32(b + 44);
  h.modificationNumber = loadBE32(b + 48);
  h.appInfoOffset = loadBE32(b + 52);
  h.sortInfoOffset = loadBE32(b + 56);
  std::memcpy(h.type, b + 60, 4);
  std::memcpy(h.creator, b + 64, 4);
  h.uniqueIdSeed = loadBE32(b + 68);
  h.nextRecordListId = loadBE32(b + 72);
  h.recordCount = loadBE16(b + 76);
  return h;
}

PdbRecordEntry parsePdbRecordEntry(const unsigned char* b) {
  return PdbRecordEntry{loadBE32(b), b[4], loadBE32(b + 4) & 0x00FFFFFFu};
}

PdbHeaderTemplate pdbHeaderBytes(const char* name, const char* creator, const char* type) {
  PdbHeaderTemplate header = pdbHeaderTemplate();
  // The name goes in with its terminator; behind it the template's fill stays. A name of
  // exactly 32 characters puts its NUL on the first attribute byte, which is 0 anyway.
  const std::size_t nameLength = strnlen(name, kPdbNameSize);
  std::memcpy(header.data(), name, nameLength);
  if (nameLength < kPdbNameSize) header[nameLength] = 0;
  std::memcpy(&header[60], type, 4);
  std::memcpy(&header[64], creator, 4);
  return header;
}

int createPdb(const char* path, const char* name, const char* creator, const char* type) {
  const PdbHeaderTemplate header = pdbHeaderBytes(name, creator, type);

  std::FILE* file = createFile(path, "wb");
  if (file == nullptr) return -1;
  const unsigned char countAndGap[4] = {0, 0, 0, 0};
  bool ok = writeToFile(file, header.data(), header.size());
  ok = writeToFile(file, countAndGap, sizeof countAndGap) && ok;
  ok = closeFile(file) && ok;
  if (!ok) {
    std::remove(path);  // a short database is worse than none
    return -1;
  }
  return 0;
}

std::FILE* appendPdbRecord(const char* path, int maxRecords) {
  const std::string tempPath = reserveScratchBeside(path);
  if (tempPath.empty()) return nullptr;
  // If the database cannot be moved aside, nothing is touched.
  if (!moveReplacing(path, tempPath.c_str())) {
    std::remove(tempPath.c_str());
    return nullptr;
  }

  FileHandle old(std::fopen(tempPath.c_str(), "rb"));
  if (!old) return restore(tempPath, path);
  const long size = measureFile(old.get());

  unsigned char head[kPdbHeaderSize];
  if (size < static_cast<long>(kPdbEmptySize) ||
      std::fread(head, 1, kPdbHeaderSize, old.get()) != kPdbHeaderSize) {
    old.reset();
    return restore(tempPath, path);
  }
  const auto count = static_cast<std::int16_t>(loadBE16(head + 76));
  const long listEnd = static_cast<long>(kPdbEmptySize + kPdbRecordEntrySize * count);
  if (count < 0 || count >= maxRecords || size < listEnd) {
    old.reset();
    return restore(tempPath, path);
  }

  std::vector<unsigned char> list(kPdbRecordEntrySize * count);
  if (!list.empty() && std::fread(list.data(), 1, list.size(), old.get()) != list.size()) {
    old.reset();
    return restore(tempPath, path);
  }
  for (std::size_t entry = 0; entry < list.size(); entry += kPdbRecordEntrySize) {
    storeBE32(&list[entry], loadBE32(&list[entry]) + kPdbRecordEntrySize);
  }
  unsigned char added[kPdbRecordEntrySize] = {};
  storeBE32(added, static_cast<std::uint32_t>(size) + kPdbRecordEntrySize);
  storeBE16(head + 76, static_cast<std::uint32_t>(count + 1));

  std::FILE* rewritten = createFile(path, "wb");
  if (rewritten == nullptr) {
    old.reset();
    return restore(tempPath, path);
  }
  bool ok = writeToFile(rewritten, head, kPdbHeaderSize);
  ok = ok && writeToFile(rewritten, list.data(), list.size());
  ok = ok && writeToFile(rewritten, added, sizeof added);
  ok = ok && copyRest(old.get(), rewritten);  // the gap and every old record
  ok = ok && flushFile(rewritten);
  old.reset();
  if (!ok) {
    std::fclose(rewritten);
    return restore(tempPath, path);
  }
  std::remove(tempPath.c_str());
  return rewritten;
}

}  // namespace quillet

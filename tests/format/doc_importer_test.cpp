#include "format/doc_importer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "format/byte_order.h"
#include "format/doc_compressor.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

// Record 0 of a Doc of `textRecords` records of 4096 bytes.
Bytes record0(unsigned textRecords, unsigned compression = 2) {
  Bytes r(16, 0);
  storeBE16(&r[0], compression);
  storeBE16(&r[8], textRecords);
  r[10] = 0x10;
  return r;
}

// A database laid out as the writer lays it out, from its records' bytes.
Bytes makeDatabase(const std::vector<Bytes>& records, const char* typeAndCreator = "TEXtREAd") {
  Bytes b(80 + 8 * records.size(), 0);
  std::memcpy(&b[0], "Test", 4);
  std::memcpy(&b[60], typeAndCreator, 8);
  storeBE16(&b[76], static_cast<std::uint32_t>(records.size()));
  for (std::size_t k = 0; k < records.size(); ++k) {
    storeBE32(&b[78 + 8 * k], static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), records[k].begin(), records[k].end());
  }
  return b;
}

Bytes withBE32(Bytes b, std::size_t at, std::uint32_t value) {
  storeBE32(&b[at], value);
  return b;
}

// The database imported whole and through windows of a few sizes gives the same text, the
// same damage and the same bookmarks. One window only sometimes has room for a stretch.
void expectTheSameThroughAWindow(const Bytes& file) {
  const ImportedDoc whole = importDocBytes(file);
  for (const std::size_t window :
       {kSmallestTextWindow, kSmallestTextWindow + 999, kTextWindow - 5, kTextWindow}) {
    std::string streamed;
    const ImportedDoc through = importDocBytesTo(
        file, [&](const unsigned char* bytes, std::size_t size) {
          streamed.append(reinterpret_cast<const char*>(bytes), size);
        }, nullptr, window);
    SCOPED_TRACE(window);
    EXPECT_EQ(through.status, whole.status);
    EXPECT_FALSE(through.text);
    EXPECT_EQ(through.length, whole.length);
    EXPECT_EQ(streamed, whole.text ? std::string(whole.text.get(), whole.length) : "");
    EXPECT_TRUE(through.damage == whole.damage);
    EXPECT_EQ(through.bookmarks.size(), whole.bookmarks.size());
  }
}

// The text imported from bytes, or "<not a Doc>" when the importer refuses them as such.
std::string import(const Bytes& file) {
  expectTheSameThroughAWindow(file);
  const ImportedDoc doc = importDocBytes(file);
  if (doc.status == ImportStatus::kNotDoc && !doc.text) return "<not a Doc>";
  EXPECT_EQ(doc.status, ImportStatus::kImported);
  if (!doc.text) return "<none>";
  EXPECT_EQ(doc.text.get()[doc.length], '\0');
  return std::string(doc.text.get(), doc.length);
}

TEST(DocImporterTest, ReadsTheTextRecordsOfAnyTextDatabaseAndRefusesTheRest) {
  const Bytes hi = bytesOf("hi"), hello = bytesOf("hello"), tail = bytesOf("tail");
  const Bytes outside = withBE32(makeDatabase({record0(1), hi}), 78, 100000);  // record 0's
  Bytes references = bytesOf("abc");  // far more text than the one counted record holds
  for (int i = 0; i < 3000; ++i) references.insert(references.end(), {0x80, 0x1F});
  std::string abc;
  while (abc.size() < 4096) abc += "abc";
  const std::pair<Bytes, std::string> cases[] = {
      {makeDatabase({record0(1), hexBytes("02 05 41")}), "\x05\x41"},
      {makeDatabase({record0(1), hexBytes("E2")}), " b"},
      {makeDatabase({record0(1), hexBytes("61 62 63 80 18")}), "abcabc"},
      {makeDatabase({record0(1), hexBytes("61 00 62 02 00 63")}), "abc"},
      {makeDatabase({record0(1), hi}, "TEXtREAd"), "hi"},  // any creator
      {makeDatabase({record0(1), hi}, "TEXtQvlt"), "hi"},
      {makeDatabase({record0(1), hi}, "TEXtzzzz"), "hi"},
      {makeDatabase({record0(1), hi}, "DataREAd"), "<not a Doc>"},  // any other type refused
      {makeDatabase({record0(1), hi}, "textREAd"), "<not a Doc>"},
      {makeDatabase({record0(1, 1), hexBytes("80 81 E2 02 41")}), "\x80\x81\xE2\x02\x41"},
      {makeDatabase({record0(1, 0x0100), hexBytes("C1 C2")}), "\xC1\xC2"},  // low byte 0: as 1
      {makeDatabase({record0(2), bytesOf("one "), bytesOf("two"), bytesOf("BOOKMARK")}),
       "one two"},  // records after the text records are not text
      {makeDatabase({record0(1, 1), Bytes(4096, 'z')}), std::string(4096, 'z')},  // a full buffer
      {makeDatabase({record0(2), hexBytes("61 62 63 64 02"), hexBytes("85 86")}),
       "abcd\x85\x86"},  // a run count at the end of one record counts the next one's bytes
      // Malformed files: never a crash or an overrun; the decisions below are the importer's.
      {bytesOf("TEXt"), "<not a Doc>"},
      {{}, "<not a Doc>"},
      {makeDatabase({}), "<not a Doc>"},
      {outside, "<not a Doc>"},
      {Bytes(outside.begin(), outside.begin() + 90), "<not a Doc>"},  // record 0 cut short too
      {makeDatabase({record0(0)}), ""},                               // what a failed build leaves
      {makeDatabase({record0(3)}), ""},                               // three counted, none there
      {makeDatabase({record0(0), bytesOf("ignored")}), ""},
      {makeDatabase({record0(1, 1), Bytes(5000, 'y')}), std::string(4096, 'y')},
      {makeDatabase({record0(1), references}), abc.substr(0, 4096)},
      {makeDatabase({record0(1), hexBytes("61 BF FF 62")}), "ab"},   // reaching before the start
      {makeDatabase({record0(1), hexBytes("61 80 00 62")}), "ab"},   // distance 0
      {makeDatabase({record0(1), hexBytes("61 62 63 80")}), "abc"},  // the file ends in a reference
      // Offsets past the end of the file are cut to it: the text's end, then its start too.
      {withBE32(makeDatabase({record0(1), hello, tail}), 94, 1000000), "hellotail"},
      {withBE32(withBE32(makeDatabase({record0(1), hello, tail}), 94, 1000000), 86, 1000000), ""},
  };
  for (const auto& [file, text] : cases) EXPECT_EQ(import(file), text) << hexOf(file);
}

TEST(DocImporterTest, WhatHasBeenReadIsToldInOrderUpToTheEndOfTheText) {
  // Three text records, then a bookmark record that is read after them.
  const Bytes db = makeDatabase({record0(3), bytesOf("one"), bytesOf("two"), bytesOf("six"),
                                 concat({bytesOf("mark"), Bytes(12, 0), hexBytes("00 00 00 03")})});
  std::vector<std::size_t> told;
  const ImportedDoc doc = importDocBytes(db, [&](std::size_t offset) { told.push_back(offset); });
  EXPECT_EQ(std::string(doc.text.get(), doc.length), "onetwosix");
  ASSERT_EQ(doc.bookmarks.size(), 1u);
  const std::size_t firstText = loadBE32(&db[78 + 8]);
  EXPECT_EQ(told, (std::vector<std::size_t>{firstText + 3, firstText + 6, firstText + 9}));
}

TEST(DocImporterTest, ABookLargerThanTheWindowGoesThroughItUnchanged) {
  const std::string prose = proseText(30 * kDocRecordSize + 123, 7);
  DocOptions options;
  options.name = "Window";
  // References as far back as they reach, escaped runs, and plain prose, over several
  // windows' worth.
  for (const TextKind kind : {TextKind::kProse, TextKind::kRepeatAt2047, TextKind::kRandomBytes}) {
    Bytes built;
    ASSERT_EQ(buildDocBytes(generatedText(kind, 70 * kDocRecordSize + 123, 7), options, built).status,
              DocBuildStatus::kBuilt);
    SCOPED_TRACE(textKindName(kind));
    expectTheSameThroughAWindow(built);
    // Every piece but the last ends on a stretch's boundary.
    std::vector<std::size_t> ends;
    const ImportedDoc doc = importDocBytesTo(built, [&](const unsigned char*, std::size_t size) {
      ends.push_back((ends.empty() ? 0 : ends.back()) + size);
    });
    ASSERT_GT(ends.size(), 3u);
    EXPECT_EQ(ends.back(), doc.length);
    for (std::size_t k = 0; k + 1 < ends.size(); ++k) EXPECT_EQ(ends[k] % kTextStretch, 0u) << k;
  }
  // Stored as it is, a record short, and records that give far more than record 0 counts.
  std::vector<Bytes> stored{record0(31, 1)};
  for (std::size_t at = 0; at < prose.size(); at += kDocRecordSize) {
    stored.push_back(bytesOf(prose.substr(at, kDocRecordSize)));
  }
  expectTheSameThroughAWindow(makeDatabase(stored));
  stored[5].resize(100);
  expectTheSameThroughAWindow(makeDatabase(stored));
  Bytes references = bytesOf("abc");
  for (int i = 0; i < 3000; ++i) references.insert(references.end(), {0x80, 0x1F});
  expectTheSameThroughAWindow(makeDatabase({record0(20), references, references, references}));
}

TEST(DocImporterTest, AMissingFileIsReported) {
  TempDir dir;
  EXPECT_EQ(importDoc(dir.file("nope.pdb").c_str()).status, ImportStatus::kCannotOpen);
}

}  // namespace
}  // namespace quillet

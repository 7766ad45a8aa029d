#include "format/doc_importer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/pdb_writer.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// A database laid out as the writer lays it out, from its records' bytes.
Bytes makeDatabase(const std::vector<Bytes>& records, const char* type = "TEXt",
                   const char* creator = "REAd") {
  Bytes b(kPdbHeaderSize + 8 * records.size() + 2, 0);
  std::memcpy(&b[0], "Test", 4);
  std::memcpy(&b[60], type, 4);
  std::memcpy(&b[64], creator, 4);
  storeBE16(&b[76], static_cast<std::uint32_t>(records.size()));
  for (std::size_t k = 0; k < records.size(); ++k) {
    storeBE32(&b[78 + 8 * k], static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), records[k].begin(), records[k].end());
  }
  return b;
}

Bytes record0(unsigned compression, unsigned textRecords) {
  Bytes r(16, 0);
  storeDocRecord0(DocRecord0{static_cast<std::uint16_t>(compression), 0, 0,
                             static_cast<std::uint16_t>(textRecords), 4096, 0},
                  r.data());
  return r;
}

class DocImporterTest : public ::testing::Test {
 protected:
  std::vector<ImportStatus> refusals;

  // Imports bytes; returns the text, or "<none>" when the importer refused.
  std::string import(const Bytes& file) {
    const ImportedDoc doc = importDocBytes(file);
    if (doc.status != ImportStatus::kImported) refusals.push_back(doc.status);
    if (!doc.text) return "<none>";
    EXPECT_EQ(doc.text.get()[doc.length], '\0');
    return std::string(doc.text.get(), doc.length);
  }
};

TEST_F(DocImporterTest, DecoderExamples) {
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("02 05 41")})),
            "\x05"
            "A");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("E2")})), " b");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("61 62 63 80 18")})), "abcabc");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("61 00 62 02 00 63")})), "abc");
  EXPECT_TRUE(refusals.empty());
}

TEST_F(DocImporterTest, AnyCreatorIsAccepted) {
  EXPECT_EQ(import(makeDatabase({record0(2, 1), bytesOf("hi")}, "TEXt", "REAd")), "hi");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), bytesOf("hi")}, "TEXt", "Qvlt")), "hi");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), bytesOf("hi")}, "TEXt", "zzzz")), "hi");
}

TEST_F(DocImporterTest, OtherTypesAreRefusedWithTheTwoLineMessage) {
  EXPECT_EQ(import(makeDatabase({record0(2, 1), bytesOf("hi")}, "Data")), "<none>");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), bytesOf("hi")}, "text")), "<none>");
  ASSERT_EQ(refusals.size(), 2u);
  EXPECT_EQ(refusals[0], ImportStatus::kNotDoc);
}

TEST_F(DocImporterTest, FilesAreReadWholeAndAMissingOneIsReported) {
  TempDir dir;
  writeFile(dir.file("in.pdb"), makeDatabase({record0(2, 1), bytesOf("hi")}));
  const ImportedDoc doc = importDoc(dir.file("in.pdb").c_str());
  EXPECT_EQ(std::string(doc.text.get(), doc.length), "hi");
  EXPECT_EQ(importDoc(dir.file("nope.pdb").c_str()).status, ImportStatus::kCannotOpen);
}

TEST_F(DocImporterTest, UncompressedRecordsAreCopiedUnchanged) {
  EXPECT_EQ(import(makeDatabase({record0(1, 1), hexBytes("80 81 E2 02 41")})),
            "\x80\x81\xE2\x02"
            "A");
  // A compression value whose low byte is 0 also means "stored as it is".
  EXPECT_EQ(import(makeDatabase({record0(0x0100, 1), hexBytes("C1 C2")})), "\xC1\xC2");
}

TEST_F(DocImporterTest, RecordsAfterTheTextAreNotText) {
  EXPECT_EQ(
      import(makeDatabase({record0(2, 2), bytesOf("one "), bytesOf("two"), bytesOf("BOOKMARK")})),
      "one two");
}

TEST_F(DocImporterTest, FullBufferTakesItsTerminatorInTheLastByte) {
  EXPECT_EQ(import(makeDatabase({record0(1, 1), Bytes(4096, 'z')})).size(), 4096u);
}

TEST_F(DocImporterTest, RunsAndReferencesCarryAcrossRecords) {
  // A run count at the end of one record applies to the next one's bytes.
  EXPECT_EQ(import(makeDatabase({record0(2, 2), hexBytes("61 62 63 64 02"), hexBytes("85 86")})),
            "abcd\x85\x86");
}

// Malformed files: never a crash or an overrun; the decisions below are the importer's.
TEST_F(DocImporterTest, TooShortForAHeaderIsNotADoc) {
  EXPECT_EQ(import(bytesOf("TEXt")), "<none>");
  EXPECT_EQ(import({}), "<none>");
  EXPECT_EQ(refusals.size(), 2u);
}

TEST_F(DocImporterTest, NoRecordsAtAllIsNotADoc) { EXPECT_EQ(import(makeDatabase({})), "<none>"); }

TEST_F(DocImporterTest, HeaderRecordOutsideTheFileIsNotADoc) {
  Bytes b = makeDatabase({record0(2, 1), bytesOf("hi")});
  storeBE32(&b[78], 100000);
  EXPECT_EQ(import(b), "<none>");
  b.resize(90);  // record 0 cut short
  EXPECT_EQ(import(b), "<none>");
}

TEST_F(DocImporterTest, NoTextRecordsGiveAnEmptyText) {
  EXPECT_EQ(import(makeDatabase({record0(2, 0)})), "");  // what a failed build leaves
  EXPECT_EQ(import(makeDatabase({record0(2, 3)})), "");  // count says 3, none there
  EXPECT_EQ(import(makeDatabase({record0(2, 0), bytesOf("ignored")})), "");
  EXPECT_TRUE(refusals.empty());
}

TEST_F(DocImporterTest, TextBeyondTheCountedRecordsIsCut) {
  EXPECT_EQ(import(makeDatabase({record0(1, 1), Bytes(5000, 'y')})).size(), 4096u);
  Bytes manyReferences = bytesOf("abc");
  for (int i = 0; i < 3000; ++i) manyReferences.insert(manyReferences.end(), {0x80, 0x1F});
  EXPECT_EQ(import(makeDatabase({record0(2, 1), manyReferences})).size(), 4096u);
}

TEST_F(DocImporterTest, BackReferencesBeforeTheStartAppendNothing) {
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("61 BF FF 62")})), "ab");
  EXPECT_EQ(import(makeDatabase({record0(2, 1), hexBytes("61 80 00 62")})), "ab");  // distance 0
}

TEST_F(DocImporterTest, OffsetsPastTheEndAreCutToTheFile) {
  Bytes b = makeDatabase({record0(2, 1), bytesOf("hello"), bytesOf("tail")});
  storeBE32(&b[78 + 16], 1000000);  // the end of the text lies beyond the file
  EXPECT_EQ(import(b), "hellotail");
  storeBE32(&b[78 + 8], 1000000);  // so does its start
  EXPECT_EQ(import(b), "");
}

TEST_F(DocImporterTest, TruncatedFilesGiveWhatIsThere) {
  const Bytes whole = makeDatabase({record0(2, 1), hexBytes("61 62 63 80 18 78")});
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::string text = import(Bytes(whole.begin(), whole.begin() + size));
    EXPECT_LE(text.size(), 7u);
  }
  EXPECT_EQ(import(Bytes(whole.begin(), whole.end() - 2)), "abc");  // reference cut in half
}

// The decoder as first written, one byte and one check at a time.
class ByteByByteDecoder {
 public:
  explicit ByteByByteDecoder(std::size_t capacity) : out_(capacity) {}

  bool feed(const Bytes& in) {
    for (const unsigned char ch : in) {
      if (length_ >= out_.size()) return false;
      if (pendingHigh_ >= 0) {
        const unsigned value = static_cast<unsigned>(pendingHigh_) << 8 | ch;
        const std::size_t distance = (value & 0x3FFF) >> 3;
        if (distance != 0 && distance <= length_) {
          for (unsigned k = 0; k < (value & 7) + 3 && length_ < out_.size(); ++k, ++length_) {
            out_[length_] = out_[length_ - distance];
          }
        }
        pendingHigh_ = -1;
      } else if (runLeft_ > 0) {
        if (ch != 0) append(ch);
        --runLeft_;
      } else if (ch >= 0x01 && ch <= 0x08) {
        runLeft_ = ch;
      } else if (ch >= 0x09 && ch <= 0x7F) {
        append(ch);
      } else if (ch >= 0x80 && ch <= 0xBF) {
        pendingHigh_ = ch;
      } else if (ch >= 0xC0) {
        append(' ');
        append(ch & 0x7F);
      }
    }
    return length_ < out_.size();
  }
  Bytes text() const { return Bytes(out_.begin(), out_.begin() + static_cast<long>(length_)); }

 private:
  void append(unsigned b) {
    if (length_ < out_.size()) out_[length_++] = static_cast<unsigned char>(b);
  }
  Bytes out_;
  std::size_t length_ = 0;
  unsigned runLeft_ = 0;
  int pendingHigh_ = -1;
};

TEST(PalmDocDecoderTest, DecodesAsTheByteByByteDecoderInPiecesOfAnySize) {
  TestRandom random(41);
  for (int k = 0; k < 2000; ++k) {
    // Streams of every kind of code, references near and far, runs cut anywhere.
    Bytes stream(random.below(600));
    for (auto& b : stream) {
      const unsigned kind = random.below(6);
      b = static_cast<unsigned char>(kind == 0   ? random.below(9)
                                     : kind == 1 ? 0x80 + random.below(2)
                                     : kind == 2 ? 0x80 + random.below(64)
                                                 : random.below(256));
    }
    const std::size_t capacity = random.below(4) == 0 ? random.below(40) : 4096;
    ByteByByteDecoder expected(capacity);
    Bytes out(capacity);
    PalmDocDecoder decoder(out.data(), out.size());
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t piece =
          std::min<std::size_t>(1 + random.below(random.below(2) ? 4 : 300), stream.size() - at);
      const Bytes part(stream.begin() + static_cast<long>(at),
                       stream.begin() + static_cast<long>(at + piece));
      const bool more = expected.feed(part);
      ASSERT_EQ(decoder.feed(part.data(), part.size()), more) << "stream " << k;
      at += piece;
      if (!more) break;
    }
    ASSERT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(decoder.length())),
              expected.text())
        << "stream " << k << ": " << hexOf(stream);
  }
}

TEST_F(DocImporterTest, GarbageNeverOverruns) {
  TestRandom random(99);
  for (int k = 0; k < 200; ++k) {
    Bytes b = makeDatabase({record0(2, random.below(4)), Bytes(random.below(9000))});
    for (std::size_t i = 0; i < b.size(); ++i) {
      if (i >= 76 || random.below(8) == 0) b[i] = static_cast<unsigned char>(random.next());
    }
    std::memcpy(&b[60], "TEXt", 4);
    import(b);  // sanitizers watch the buffers
  }
}

}  // namespace

}  // namespace quillet

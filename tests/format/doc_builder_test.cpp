// The file-based builder: examples, failures, and the same outcome as building by appends.
#include "format/doc_builder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "base/file_io.h"
#include "format/byte_order.h"
#include "format/doc_importer.h"
#include "format/stored_text.h"
#include "tests/format/append_builder_reference.h"
#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <thread>
#endif

namespace quillet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// A build in a folder of its own, laid out alike for every builder.
struct Scene {
  std::string text{};
  bool noText = false;        // no text file at all
  bool textIsFolder = false;  // a folder where the text file should be
  std::string outputName = "book.pdb";
  bool blockedTemp = false;  // a "$$TEMP$$" folder, not empty, beside the output
  std::string palmName = "Book";
  bool publicFormat = false;
  int maxRecords = kPdbMaxRecords;
  bool piped = false;               // the text arrives through a pipe (POSIX only)
  unsigned long fileSizeLimit = 0;  // no file may grow beyond it, as on a full disk (POSIX only)
};

struct Outcome {
  int result = 0;
  std::string palmName;           // as the builder left it
  std::set<std::string> files{};  // what the folder holds afterwards
  Bytes database{};               // empty when there is none
  std::string imported{};         // its text as the importer reads it

  unsigned records() const { return loadBE16(&database[76]); }
  Bytes record(unsigned k) const {
    const std::size_t end = k + 1 < records() ? loadBE32(&database[86 + 8 * k]) : database.size();
    return Bytes(database.begin() + loadBE32(&database[78 + 8 * k]), database.begin() + end);
  }
  // No database, the 80 bytes of the empty one, or the number of records: record 0's bytes.
  std::string left() const {
    if (database.empty()) return "no database";
    if (records() == 0) return std::to_string(database.size()) + " bytes";
    return std::to_string(records()) + ": " + hexOf(record(0));
  }
};

Outcome run(const Scene& scene, decltype(&buildDocLimited) builder = buildDocLimited) {
  TempDir dir;
  const std::string textPath = dir.file("text.txt"), output = dir.file(scene.outputName);
  if (!scene.noText && !scene.piped) writeFile(textPath, scene.text);
  if (scene.textIsFolder) fs::create_directory(textPath);
  if (scene.blockedTemp) fs::create_directories(dir.path() / kPdbAppendTempName / "keep");
  char name[64] = {};
  std::strncpy(name, scene.palmName.c_str(), sizeof name - 1);
#ifndef _WIN32
  std::thread writer;
  if (scene.piped && mkfifo(textPath.c_str(), 0600) == 0) {
    writer = std::thread([&] { writeFile(textPath, scene.text); });
  }
  std::signal(SIGXFSZ, SIG_IGN);  // a refused write then fails instead of ending the process
  rlimit unlimited{};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  rlimit limited{scene.fileSizeLimit ? scene.fileSizeLimit : unlimited.rlim_cur,
                 unlimited.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limited);
#endif
  Outcome out{builder(textPath.c_str(), output.c_str(), name, scene.publicFormat, scene.maxRecords),
              name};
#ifndef _WIN32
  setrlimit(RLIMIT_FSIZE, &unlimited);
  if (writer.joinable()) writer.join();
#endif
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    out.files.insert(fs::relative(entry.path(), dir.path()).generic_string());
  }
  if (!fileExists(output)) return out;
  out.database = readFile(output);
  const ImportedDoc doc = importDoc(output.c_str());
  if (doc.text) out.imported.assign(doc.text.get(), doc.length);
  return out;
}

// Builds as the builder and as the reference; both must give the same result, name,
// files and database.
Outcome runBoth(const Scene& scene) {
  const Outcome built = run(scene), appended = run(scene, reference::buildDocByAppends);
  EXPECT_EQ(built.result, appended.result);
  EXPECT_EQ(built.palmName, appended.palmName);
  EXPECT_EQ(built.files, appended.files);
  EXPECT_TRUE(built.database == appended.database)
      << built.database.size() << " bytes, by appends " << appended.database.size();
  return built;
}

// A build that stored `stored`: nothing is a failure; else record 0, just behind the record
// list, gives its length and its records of 4096 bytes, and the importer reads it back.
void expectStored(const Outcome& built, const std::string& stored) {
  ASSERT_EQ(built.result, stored.empty() ? kBuildFailed : kBuildOk);
  if (stored.empty()) return;
  const auto records = static_cast<unsigned>(stored.size() + 4095) / 4096 + 1;
  ASSERT_EQ(built.records(), records);
  EXPECT_EQ(loadBE32(&built.database[78]), 80 + 8 * records);
  const DocRecord0 header = parseDocRecord0(built.record(0).data());
  EXPECT_EQ(header.textLength, stored.size());
  EXPECT_EQ(header.recordCount, records - 1);
  EXPECT_EQ(built.imported, stored);
}

TEST(DocBuilderTest, SevenByteTextGivesTheWholeDatabaseByteForByte) {
  const Outcome built = run({.text = "abcabcx", .palmName = "abcabcx", .publicFormat = true});
  EXPECT_EQ(built.result, kBuildOk);
  EXPECT_EQ(hexOf(built.database),
            hexOf(concat({bytesOf(std::string("abcabcx\0", 8)), Bytes(16, 0xFF), Bytes(8, 0),
                          hexBytes("00 08 00 00 33 B8 BD A5 33 B8 BD A5 33 B8 BD A5 00 00 00 01"),
                          Bytes(8, 0), bytesOf("TEXtREAd"),
                          hexBytes("00 00 00 00 00 00 00 00 00 02 00 00 00 60 00 00 00 00 00 00 "
                                   "00 70 00 00 00 00 00 00 00 02 00 00 00 00 00 07 00 01 10 00 "
                                   "00 00 00 00 61 62 63 80 18 78")})));
}

TEST(DocBuilderTest, ExamplesGiveTheirResultAndLeaveWhatTheAppenderLeaves) {
  const std::string prose = proseText(9000), longer = proseText(10000),
                    emptyRecord0 = "00 02 00 00 00 00 00 00 00 00 10 00 00 00 00 00";
  const struct {
    Scene scene;
    int result;
    std::string left;      // what Outcome::left() says, where given
    std::string stored{};  // the text stored, where given
  } cases[] = {
      {{.text = "one\r\ntwo\r\nthree\rfour\n"}, kBuildOk, "", "one\ntwo\nthree\rfour\n"},
      {{.text = "kept\032dropped"}, kBuildOk, "", "kept"},  // 0x1A ends the text
      {{.text = longer}, kBuildOk, "4: 00 02 00 00 00 00 27 10 00 03 10 00 00 00 00 00", longer},
      {{}, kBuildFailed, "1: " + emptyRecord0},  // an empty text
      {{.text = std::string(10, '\0')}, kBuildFailed, "1: " + emptyRecord0},
      {{.noText = true}, kBuildNoText, "80 bytes"},
      {{.text = prose, .outputName = "no/such/folder/book.pdb"}, kBuildFailed, "no database"},
      // Two text records kept of the three needed, and record 0 fixed up to them.
      {{.text = std::string(3 * 4096 + 5, 'q'), .maxRecords = 3},
       kBuildFailed,
       "3: 00 02 00 00 00 00 20 00 00 02 10 00 00 00 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.left + c.stored.substr(0, 20));
    const Outcome built = runBoth(c.scene);
    EXPECT_EQ(built.result, c.result);
    EXPECT_TRUE(c.left.empty() || built.left() == c.left) << built.left();
    if (!c.stored.empty()) expectStored(built, c.stored);
  }
  // A folder where the text should be; the text's own path as the output. The system
  // decides the result; the builder's must be the appender's.
  runBoth({.noText = true, .textIsFolder = true});
  runBoth({.text = prose, .outputName = "text.txt"});
  // Unlike the fixed name of old, the scratch name is the builder's own: a folder of the
  // user's called "$$TEMP$$" stops nothing and is left alone.
  const Outcome beside = run({.text = prose, .blockedTemp = true});
  EXPECT_EQ(beside.result, kBuildOk);
  EXPECT_EQ(beside.database, run({.text = prose}).database);
  EXPECT_EQ(beside.files, (std::set<std::string>{"$$TEMP$$", "$$TEMP$$/keep", "book.pdb", "text.txt"}));
#ifndef _WIN32
  std::string piped = proseText(30000, 6);  // a text that arrives through a pipe
  piped[12345] = '\0';
  EXPECT_EQ(runBoth({.text = piped, .palmName = "Piped", .piped = true}).result, kBuildOk);
  EXPECT_EQ(runBoth({.palmName = "Piped", .piped = true}).result, kBuildFailed);
#endif
}

// Texts around record boundaries; with NULs, CR LF and 0x1A in awkward places; of every
// byte value; random; with long names; under record ceilings.
TEST(DocBuilderTest, GivesTheDatabaseOfBuildingByAppendsAndTheStoredTextBack) {
  std::vector<Scene> all;
  for (const TextKind kind : kAllTextKinds) {
    for (const std::size_t size : {1u, 4095u, 4096u, 4097u, 3u * 4096 + 17}) {
      all.push_back({.text = generatedText(kind, size, size)});
    }
  }
  TestRandom random(11);
  for (std::size_t records = 1; records <= 3; ++records) {
    for (int delta : {-2, -1, 0, 1, 2}) {
      const std::size_t size = records * 4096 + delta;
      all.push_back({.text = proseText(size, size)});
      for (int i = 0; i < 20; ++i) {
        all.back().text[random.below(unsigned(size))] = char(0x80 + random.below(128));
      }
    }
  }
  std::string everyOther, crlf, tangle(12000, '\0'), everyByte;
  for (const char c : proseText(15000, 4)) everyOther += {c, '\0'};
  for (const char c : proseText(20000, 5)) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  TestRandom tangled(17);
  for (auto& c : tangle) c = "\r\n\0a \x85"[tangled.below(6)];  // each meets each
  for (int k = 0; k < 40 * 255; ++k) {  // 1 to 255 forty times, without CR and 0x1A
    if (const int b = 1 + k % 255; b != 0x1A && b != '\r') everyByte += static_cast<char>(b);
  }
  for (const std::string& text : {std::string(9000, '\0'), everyOther, crlf, tangle, everyByte}) {
    all.push_back({.text = text});
  }
  for (const std::size_t cut : {0u, 1u, 4096u, 5000u}) {
    all.push_back({.text = proseText(9000, cut)});
    all.back().text[cut] = 0x1A;
  }
  all.push_back({.text = proseText(6000, 9)});
  all.back().text.replace(4000, 2, "\r\x1A");
  all.push_back({.text = proseText(13000, 8)});  // NULs that move every later record boundary
  for (const std::size_t at : {10u, 4096u, 4097u, 8191u, 8192u, 12000u}) {
    all.back().text.insert(at, 1, '\0');
  }
  all.push_back({.text = std::string("a\r\nb\rc\n\r\rd\0e\0\0f\r\n\r\n", 20) + proseText(9000) +
                         "\032after the end"});
  TestRandom randomTexts(5);
  for (int k = 0; k < 25; ++k) {
    all.push_back({.text = std::string(randomTexts.below(20000), '\0')});
    const unsigned alphabet = 2 + randomTexts.below(k % 2 ? 8 : 254);
    for (auto& c : all.back().text) c = char(randomTexts.below(alphabet) * (256 / alphabet));
  }
  all.push_back({.text = proseText(5000),
                 .palmName = "A name of exactly forty characters long.",
                 .publicFormat = true});
  all.push_back({.text = proseText(5000), .palmName = std::string(32, 'N')});
  for (const int ceiling : {0, 1, 2, 3}) {
    for (const std::size_t size : {0u, 4096u, 8192u, 8193u, 3u * 4096 + 1}) {
      all.push_back({.text = std::string(size, 'q'), .maxRecords = ceiling});
    }
  }
  for (std::size_t k = 0; k < all.size(); ++k) {
    SCOPED_TRACE("text " + std::to_string(k));
    const Outcome built = runBoth(all[k]);
    if (all[k].maxRecords == kPdbMaxRecords)
      expectStored(built, reference::storedTextOf(all[k].text));
  }
}

TEST(DocBuilderTest, BookmarksFillTheRecordCeilingExactlyAndLongNamesAreCut) {
  // Record 0, one text record and three bookmarks: five records, the ceiling.
  DocOptions options;
  options.name = "Marks";
  options.maxRecords = 5;
  options.bookmarks = {{"Twenty characters!!!", 3}, {"b", 1}, {"c", 2}};
  Bytes db;
  ASSERT_EQ(buildDocBytes("abcd", options, db).status, DocBuildStatus::kBuilt);
  ASSERT_EQ(loadBE16(&db[76]), 5u);
  // The last record: the first 15 bytes of its name, a NUL, its offset.
  EXPECT_EQ(hexOf(Bytes(db.end() - 20, db.end())),
            hexOf(concat({bytesOf("Twenty characte"), Bytes(1, 0), hexBytes("00 00 00 03")})));
  options.bookmarks.push_back({"d", 0});
  db.clear();
  EXPECT_EQ(buildDocBytes("abcd", options, db).status, DocBuildStatus::kTooManyBookmarks);
}

TEST(DocBuilderTest, HeaderRecordThatCannotBeAddedLeavesTheEmptyDatabase) {
  injectFileFault({FileOp::kCreate, EACCES, /*skip=*/1});  // the appender's scratch file
  const Outcome built = run({.text = "hello"});
  clearFileFaults();
  EXPECT_EQ(built.result, kBuildNoHeaderRecord);
  EXPECT_EQ(built.left(), "80 bytes");
}

TEST(StoredTextTest, ReaderFollowsTheTextModeRulesAcrossBlocksAndPieces) {
  TempDir dir;
  const std::string path = dir.file("text.txt");
  // What the block reader delivers, asked for pieces of the given size.
  const auto readInBlocks = [&](std::size_t blockSize, std::size_t piece) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    StoredTextReader reader(file, blockSize);
    std::string text, buffer(piece, '\0');
    auto* at = reinterpret_cast<unsigned char*>(buffer.data());
    for (std::size_t got = piece; got == piece; text.append(buffer, 0, got))
      got = reader.read(at, piece);
    EXPECT_EQ(reader.read(at, piece), 0u) << "more text after the end";
    std::fclose(file);
    return text;
  };
  TestRandom random(23);
  for (int k = 0; k < 300; ++k) {
    // Mostly awkward bytes; the 0x1A rarely, so that text often runs on past a block.
    std::string file(random.below(200), '\0');
    for (auto& b : file) b = "\r\r\n\n\0\0x\x1A"[random.below(random.below(10) == 0 ? 8 : 7)];
    writeFile(path, file);
    for (const std::size_t blockSize : {1u, 2u, 3u, 7u, 64u}) {
      const std::size_t piece = 1 + random.below(9);
      ASSERT_EQ(readInBlocks(blockSize, piece), reference::storedTextOf(file))
          << hexOf(bytesOf(file)) << " in blocks of " << blockSize << ", pieces of " << piece;
    }
  }
}

#ifndef _WIN32
TEST(DocBuilderTest, WritesThatFailAreReportedNotPassedOffAsADatabase) {
  const std::string text = proseText(200000);
  const Outcome whole = run({.text = text, .fileSizeLimit = 1 << 20});  // room enough
  EXPECT_EQ(whole.result, kBuildOk);
  for (const std::size_t limit : {whole.database.size() / 2, whole.database.size() - 1}) {
    EXPECT_EQ(run({.text = text, .fileSizeLimit = limit}).result, kBuildFailed) << limit;
  }
}
#endif  // _WIN32

}  // namespace
}  // namespace quillet

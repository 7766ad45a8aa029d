// Damaged databases, made from good ones by cutting them short, pushing counts and offsets
// out of range and flipping bytes: the importer never crashes, recovers exactly the text
// the lenient reading of old gives (the reference below), and a damaged one is never taken
// silently: import and info warn and exit 1, import --salvage warns and writes the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "tests/cli/cli_test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// The lenient reading, written out plainly: the text runs from record 1's data to the data
// of the record after the last text record (or the end of the file), decoded as one
// stream into at most recordCount * 4096 bytes.
std::string leniently(const Bytes& db) {
  const auto be32 = [&](std::size_t at) { return at + 4 <= db.size() ? loadBE32(&db[at]) : 0u; };
  const std::size_t records = loadBE16(&db[76]);
  const std::size_t record0 = be32(78);
  const unsigned textRecords = loadBE16(&db[record0 + 8]);
  const unsigned compression = loadBE16(&db[record0]);
  std::size_t start =
      records < 2 || 90 > db.size() ? 0 : std::min<std::size_t>(be32(86), db.size());
  std::size_t end = records < 2 || 90 > db.size() ? 0 : db.size();
  if (textRecords + 1u < records && 86 + 8 * textRecords + 4 <= db.size()) {
    end = std::min<std::size_t>(be32(86 + 8 * textRecords), db.size());
  }
  end = std::max(start, end);
  std::string text(std::size_t{textRecords} * 4096, '\0');
  auto* out = reinterpret_cast<unsigned char*>(text.data());
  std::size_t length = 0;
  if (compression == 1 || (compression & 0xFF) == 0) {
    length = std::min(end - start, text.size());
    std::memcpy(out, db.data() + start, length);
  } else {
    length = decodePalmDoc(db.data() + start, end - start, out, text.size());
  }
  text.resize(length);
  return text.substr(0, text.find('\0'));
}

struct Damaged {
  std::string what;
  Bytes db;
};

// The good database and its record offsets.
struct Good {
  Bytes db;
  std::vector<std::size_t> offsets;
};

Good goodDatabase(const std::string& text, bool publicFormat) {
  Good good;
  DocOptions options;
  options.name = "Good";
  options.publicFormat = publicFormat;
  EXPECT_EQ(buildDocBytes(text, options, good.db).status, DocBuildStatus::kBuilt);
  for (unsigned k = 0; k < loadBE16(&good.db[76]); ++k) {
    good.offsets.push_back(loadBE32(&good.db[78 + 8 * k]));
  }
  return good;
}

std::vector<Damaged> damagedFrom(const Good& good) {
  std::vector<Damaged> all;
  const auto with = [&](const std::string& what, const auto& change) {
    Bytes db = good.db;
    change(db);
    all.push_back({what, db});
  };
  // Cut short at every record's start, just after it and in its middle.
  for (std::size_t k = 1; k < good.offsets.size(); ++k) {
    const std::size_t at = good.offsets[k];
    const std::size_t next = k + 1 < good.offsets.size() ? good.offsets[k + 1] : good.db.size();
    for (const std::size_t cut : {at, at + 1, (at + next) / 2, next - 1}) {
      with("cut at " + std::to_string(cut), [&](Bytes& db) { db.resize(cut); });
    }
  }
  // Counts out of range.
  const std::size_t record0 = good.offsets[0];
  const unsigned records = static_cast<unsigned>(good.offsets.size());
  for (const unsigned count : {records + 1, records - 1, 0xFFFFu}) {
    with("record count " + std::to_string(count), [&](Bytes& db) { storeBE16(&db[76], count); });
  }
  for (const unsigned count : {records, records + 5, 0xFFFFu, 0u, records - 2}) {
    with("text records " + std::to_string(count),
         [&](Bytes& db) { storeBE16(&db[record0 + 8], count); });
  }
  // Offsets out of range, and out of order.
  for (std::size_t k = 1; k < records; ++k) {
    with("record " + std::to_string(k) + " past the end",
         [&](Bytes& db) { storeBE32(&db[78 + 8 * k], static_cast<std::uint32_t>(db.size() + 9)); });
    with("record " + std::to_string(k) + " before record 0",
         [&](Bytes& db) { storeBE32(&db[78 + 8 * k], static_cast<std::uint32_t>(record0 - 8)); });
  }
  // Flipped bytes: every byte of the record list's offsets, record 0's fields that are
  // read, and the first code of each text record.
  std::vector<std::size_t> flips;
  for (std::size_t k = 0; k < records; ++k) {
    for (std::size_t b = 0; b < 4; ++b) flips.push_back(78 + 8 * k + b);
  }
  for (const std::size_t field : {0, 1, 4, 5, 6, 7, 8, 9, 10, 11}) flips.push_back(record0 + field);
  for (std::size_t k = 1; k < records; ++k) flips.push_back(good.offsets[k]);
  for (const std::size_t at : flips) {
    with("byte " + std::to_string(at) + " flipped", [&](Bytes& db) { db[at] ^= 0x80; });
  }
  return all;
}

using CorruptionTest = CliTest;

TEST_F(CorruptionTest, DamageIsToldTheTextIsAsBeforeAndSalvageTakesIt) {
  std::string accented = proseText(9000, 3);
  for (std::size_t i = 7; i < accented.size(); i += 97) accented[i] = '\xE9';
  const Good goods[] = {goodDatabase(proseText(3 * 4096 + 700, 1), false),
                        goodDatabase(accented, true),
                        goodDatabase(std::string(4096, 'x') + "end", false)};
  std::size_t tried = 0;
  for (const Good& good : goods) {
    writeFile("good.pdb", good.db);
    const CommandRun sound = runCommand(runImportCommand, {"good.pdb"});
    ASSERT_EQ(sound.exitCode, 0) << sound.err;
    EXPECT_EQ(sound.err, "");
    for (const Damaged& damaged : damagedFrom(good)) {
      SCOPED_TRACE(damaged.what);
      ++tried;
      const ImportedDoc doc = importDocBytes(damaged.db);
      const bool refused = doc.status != ImportStatus::kImported;
      const std::string text = refused ? "" : std::string(doc.text.get());
      if (!refused) {
        EXPECT_EQ(text, leniently(damaged.db));
      }
      if (damaged.db == good.db) continue;
      writeFile("bad.pdb", damaged.db);
      const CommandRun strict = runCommand(runImportCommand, {"bad.pdb", "-o", "out.txt"});
      EXPECT_EQ(strict.exitCode, 1);
      EXPECT_FALSE(fileExists("out.txt"));
      if (refused) continue;
      EXPECT_FALSE(doc.damage.empty());
      EXPECT_EQ(strict.err.rfind("quillet: 'bad.pdb' is damaged:\n  ", 0), 0u) << strict.err;
      if (damaged.what.ends_with("past the end")) {
        EXPECT_NE(strict.err.find(", past the end of the file ("), std::string::npos) << strict.err;
      }
      const CommandRun salvage = runCommand(runImportCommand, {"bad.pdb", "--salvage"});
      EXPECT_EQ(salvage.exitCode, 0);
      EXPECT_EQ(salvage.out, text);
      // A file takes the text as it is made; the same text, up to its first NUL.
      const CommandRun toFile =
          runCommand(runImportCommand, {"bad.pdb", "--salvage", "-o", "salvaged.txt"});
      EXPECT_EQ(toFile.exitCode, 0);
      EXPECT_EQ(readFile("salvaged.txt"), bytesOf(text));
      EXPECT_NE(salvage.err.find(std::to_string(text.size()) + " bytes of text recovered, taken"),
                std::string::npos)
          << salvage.err;
      EXPECT_EQ(runCommand(runInfoCommand, {"bad.pdb"}).exitCode, 1);
    }
  }
  EXPECT_GE(tried, 100u);
}

TEST_F(CorruptionTest, ADamagedDocSourceMakesNoBookUnlessSalvaged) {
  Good good = goodDatabase(proseText(2 * 4096 + 10, 2), true);
  good.db.resize(good.offsets[2] + 5);  // the last record cut short
  writeFile("cut.pdb", good.db);
  const CommandRun refused = runCommand(runBuildCommand, {"cut.pdb", "-o", "new.pdb", "-q"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("record 2 gives "), std::string::npos) << refused.err;
  EXPECT_FALSE(fileExists("new.pdb"));
  const CommandRun salvaged =
      runCommand(runBuildCommand, {"cut.pdb", "-o", "new.pdb", "-q", "--salvage"});
  EXPECT_EQ(salvaged.exitCode, 0) << salvaged.err;
  EXPECT_EQ(runCommand(runImportCommand, {"new.pdb"}).out, leniently(good.db));
}

}  // namespace

}  // namespace quillet

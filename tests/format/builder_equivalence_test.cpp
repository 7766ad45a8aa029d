// The builder against building by appends (the reference kept beside this test): the same
// inputs, including every failure a test can provoke, must give the same result code, the
// same database bytes and the same files left in the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "format/doc_builder.h"
#include "format/pdb_writer.h"
#include "tests/format/append_builder_reference.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

struct Outcome {
  int result = 0;
  std::string palmName;         // as the builder left it
  std::set<std::string> files;  // what the output folder holds afterwards
  Bytes database;               // empty when there is none
};

using Builder = int (*)(const char*, const char*, char*, bool, int);

std::set<std::string> listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    names.insert(fs::relative(entry.path(), dir).generic_string());
  }
  return names;
}

// One folder per build, laid out alike, so that the two builds can be compared whole.
struct Scene {
  const Bytes* text = nullptr;  // nullptr: no text file at all
  bool textIsFolder = false;    // a folder where the text file should be
  std::string outputName = "book.pdb";
  bool blockedTemp = false;  // a "$$TEMP$$" folder with a file in it beside the output
  std::string palmName = "Book";
  bool publicFormat = false;
  int maxRecords = kPdbMaxRecords;
};

Outcome run(Builder builder, const Scene& scene) {
  TempDir dir;
  if (scene.text != nullptr) writeFile(dir.file("text.txt"), *scene.text);
  if (scene.textIsFolder) fs::create_directory(dir.path() / "text.txt");
  if (scene.blockedTemp) {
    fs::create_directory(dir.path() / kPdbAppendTempName);
    writeFile(dir.file(std::string(kPdbAppendTempName) + "/keep"), "x");
  }
  char name[64] = {};
  std::strncpy(name, scene.palmName.c_str(), sizeof name - 1);
  const std::string output = dir.file(scene.outputName);
  Outcome outcome;
  outcome.result = builder(dir.file("text.txt").c_str(), output.c_str(), name, scene.publicFormat,
                           scene.maxRecords);
  outcome.palmName = name;
  outcome.files = listing(dir.path());
  if (fileExists(output)) outcome.database = readFile(output);
  return outcome;
}

void expectSameAsAppends(const Scene& scene, const std::string& what) {
  const Outcome linear = run(buildDocLimited, scene);
  const Outcome appended = run(reference::buildDocByAppends, scene);
  EXPECT_EQ(linear.result, appended.result) << what;
  EXPECT_EQ(linear.palmName, appended.palmName) << what;
  EXPECT_EQ(linear.files, appended.files) << what;
  ASSERT_EQ(linear.database.size(), appended.database.size()) << what;
  EXPECT_TRUE(linear.database == appended.database) << what << ": the databases differ";
}

Bytes bytesOfText(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(BuilderEquivalenceTest, GeneratedTextsAroundRecordBoundaries) {
  for (const TextKind kind : kAllTextKinds) {
    for (const std::size_t size : {1u, 4095u, 4096u, 4097u, 3u * 4096 + 17}) {
      Scene scene;
      const Bytes text = bytesOfText(generatedText(kind, size, size));
      scene.text = &text;
      expectSameAsAppends(scene, std::string(textKindName(kind)) + " of " + std::to_string(size));
    }
  }
}

TEST(BuilderEquivalenceTest, NulHeavyCrLfAndControlZTexts) {
  TestRandom random(17);
  std::vector<std::pair<std::string, Bytes>> texts;
  texts.emplace_back("empty", Bytes{});
  texts.emplace_back("only NULs", Bytes(9000, 0));
  Bytes everyOther;
  for (const char c : proseText(15000, 4))
    everyOther.insert(everyOther.end(), {static_cast<unsigned char>(c), 0});
  texts.emplace_back("every other byte NUL", everyOther);
  Bytes crlf;
  for (const char c : proseText(20000, 5)) {
    if (c == '\n') crlf.push_back('\r');
    crlf.push_back(static_cast<unsigned char>(c));
  }
  texts.emplace_back("CR LF line ends", crlf);
  // CR, LF, NUL and 0x1A mixed in every order, so that each meets each.
  Bytes tangle(12000);
  const unsigned char awkward[] = {'\r', '\n', 0, 'a', ' ', 0x85};
  for (auto& b : tangle) b = awkward[random.below(sizeof awkward)];
  texts.emplace_back("CR LF NUL tangle", tangle);
  for (const std::size_t cut : {0u, 1u, 4096u, 5000u}) {
    Bytes text = bytesOfText(proseText(9000, cut));
    text[cut] = 0x1A;
    texts.emplace_back("0x1A at " + std::to_string(cut), text);
  }
  Bytes crBeforeEnd = bytesOfText(proseText(6000, 9));
  crBeforeEnd[4000] = '\r';
  crBeforeEnd[4001] = 0x1A;
  texts.emplace_back("CR then 0x1A", crBeforeEnd);
  // NULs that move every later record boundary, some of them right on one.
  Bytes shifted = bytesOfText(proseText(13000, 8));
  for (const std::size_t at : {10u, 4096u, 4097u, 8191u, 8192u, 12000u})
    shifted.insert(shifted.begin() + at, 0);
  texts.emplace_back("NULs on boundaries", shifted);

  for (const auto& [what, text] : texts) {
    Scene scene;
    scene.text = &text;
    expectSameAsAppends(scene, what);
  }
}

TEST(BuilderEquivalenceTest, NameCreatorAndLongNames) {
  const Bytes text = bytesOfText(proseText(5000));
  Scene scene;
  scene.text = &text;
  scene.publicFormat = true;
  scene.palmName = "A name of exactly forty characters long.";
  expectSameAsAppends(scene, "public, long name");
  scene.publicFormat = false;
  scene.palmName = std::string(32, 'N');
  expectSameAsAppends(scene, "own format, 32-character name");
}

TEST(BuilderEquivalenceTest, FailuresLeaveWhatTheAppenderLeaves) {
  const Bytes text = bytesOfText(proseText(9000));
  Scene scene;
  scene.text = &text;

  Scene missingFolder = scene;
  missingFolder.outputName = "no/such/folder/book.pdb";
  expectSameAsAppends(missingFolder, "output in a missing folder");
  EXPECT_EQ(run(buildDocLimited, missingFolder).result, kBuildFailed);

  Scene missingText = scene;
  missingText.text = nullptr;
  expectSameAsAppends(missingText, "missing text file");
  EXPECT_EQ(run(buildDocLimited, missingText).result, kBuildNoText);

  Scene folderAsText = missingText;
  folderAsText.textIsFolder = true;
  expectSameAsAppends(folderAsText, "a folder named as the text file");

  Scene overText = scene;  // the database written over its own text
  overText.outputName = "text.txt";
  expectSameAsAppends(overText, "output path the text's own");

  // Unlike the fixed name of old, the scratch name is the builder's own: a folder of the
  // user's called "$$TEMP$$" stops nothing and is left alone.
  Scene blocked = scene;
  blocked.blockedTemp = true;
  const Outcome linear = run(buildDocLimited, blocked);
  EXPECT_EQ(linear.result, kBuildOk);
  EXPECT_EQ(linear.database, run(buildDocLimited, scene).database);
  EXPECT_EQ(linear.files, (std::set<std::string>{"$$TEMP$$", "$$TEMP$$/keep", "book.pdb", "text.txt"}));
}

TEST(BuilderEquivalenceTest, RecordCeiling) {
  for (const int ceiling : {0, 1, 2, 3}) {
    for (const std::size_t size : {0u, 4096u, 8192u, 8193u, 3u * 4096 + 1}) {
      const Bytes text(size, 'q');
      Scene scene;
      scene.text = &text;
      scene.maxRecords = ceiling;
      expectSameAsAppends(
          scene, "ceiling " + std::to_string(ceiling) + ", " + std::to_string(size) + " bytes");
    }
  }
  // The failure in the middle of a build: two records kept, record 0 fixed up to them.
  const Bytes text(3 * 4096 + 5, 'q');
  Scene scene;
  scene.text = &text;
  scene.maxRecords = 3;
  EXPECT_EQ(run(buildDocLimited, scene).result, kBuildFailed);
}

}  // namespace

}  // namespace quillet

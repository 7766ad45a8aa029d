#include <cstring>

#include "app/messages.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "format/doc_importer.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "import",
    "DOC.pdb [-o OUT.txt]",
    "Reads a Palm Doc database (type TEXt, any creator) back into text and writes it, byte\n"
    "for byte, to OUT or to standard output. Line ends stay as stored (LF). The text ends\n"
    "at its first NUL byte, as it does when Quillet Maker takes a Doc as its source.",
    {
        {'o', "output", "OUT.txt", "write the text here instead of standard output"},
    }};

}  // namespace

int runImportCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one DOC.pdb file");

  const ImportedDoc doc = importDoc(parsed.operands[0].c_str());
  if (doc.status != ImportStatus::kImported) {
    tell(standardErrorSink(), importFailureMessage(doc.status));
    return kExitFailure;
  }
  const std::size_t length = std::strlen(doc.text.get());
  return writeOutput(parsed.value("output"), doc.text.get(), length) ? kExitOk : kExitFailure;
}

}  // namespace quillet

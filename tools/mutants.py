#!/usr/bin/env python3
"""Deliberate faults, and whether the tests catch each one.

    tools/mutants.py [--windows] [NAME...]

Each fault is one small edit of the product's code: a wrong byte, an off-by-one, a rule
made case-insensitive where it must be exact. The script copies HEAD into a scratch work
tree, builds the native tests there once, then for each fault applies its edit, rebuilds,
runs the tests and puts the file back. A fault the tests do not catch is a hole in them.
With --windows the faults marked as the dialog application's are tried too, against the
Windows build under Wine (slow). Exit code 1 when any fault got through.
"""
import os
import shutil
import subprocess
import sys

# (name, file, text as it is, text with the fault, needs the Windows build)
FAULTS = [
    ("escape-run-of-7", "format/doc_compressor.cpp",
     "constexpr unsigned char kMaxEscapeRun = 8;", "constexpr unsigned char kMaxEscapeRun = 7;", False),
    ("window-one-short", "format/doc_compressor.cpp",
     "const int floor = std::max(0, p - kMaxMatchDistance);",
     "const int floor = std::max(0, p - kMaxMatchDistance + 1);", False),
    ("repeat-to-the-end-referenced", "format/doc_compressor.cpp",
     "kNearTheEnd ? std::min(kMaxMatchLength, size_ - p - 1)",
     "kNearTheEnd ? std::min(kMaxMatchLength, size_ - p)", False),
    ("ties-keep-the-nearer-place", "format/doc_compressor.cpp",
     "static_cast<std::uint32_t>(kNoPosition - q);", "static_cast<std::uint32_t>(q);", False),
    ("forward-search-skips-window-start", "format/doc_compressor.cpp",
     "while (q < floor) q = after_[q];", "while (q <= floor) q = after_[q];", False),
    ("space-pairs-from-0x41", "format/doc_compressor.cpp",
     "if (ch >= 0x40 && ch <= 0x7F) {", "if (ch >= 0x41 && ch <= 0x7F) {", False),
    ("cut-file-not-told", "platform/posix/mapped_file_posix.cpp",
     "range.cut.store(true, std::memory_order_relaxed);", "", False),
    ("window-keeps-one-short", "format/doc_importer.cpp",
     "std::size_t give = made - kMaxMatchDistance;", "std::size_t give = made - kMaxMatchDistance + 1;",
     False),
    ("streamed-text-past-nul", "cli/cmd_import.cpp",
     "if (const void* nul = std::memchr(bytes, 0, size)) {", "if (const void* nul = nullptr) {",
     False),
    ("same-file-taken-for-another", "cli/cli_common.cpp",
     "if (!error) return same;", "if (!error) return false;", False),
    ("two-books-one-name-unseen", "cli/cmd_build.cpp",
     "!outputs.insert((folder / (base + \".pdb\")).string()).second",
     "!outputs.insert(source).second", False),
    ("book-lines-not-kept-whole", "cli/cli_common.cpp",
     "tOutput->append(text);", "writeStandardOutput(text);", False),
    ("book-messages-not-kept-whole", "cli/cli_common.cpp",
     "tErrors->append(text);", "writeStandardError(text);", False),
    ("failed-scratch-name-kept", "base/atomic_file.cpp",
     "if (stream_ == nullptr) cleanup_.release();", "", False),
    ("scratch-registered-late", "base/atomic_file.cpp",
     "    cleanup_.track(scratch_.c_str());\n    errno = 0;", "    errno = 0;", False),
    ("nul-kept-in-build-text", "format/stored_text.cpp",
     "return c == kNul || c == kCR || c == kEndOfText;", "return c == kCR || c == kEndOfText;", False),
    ("crlf-written-as-lf", "format/text_mode.cpp",
     'writeToFile(file, "\\r\\n", 2)', 'writeToFile(file, "\\n", 1)', False),
    ("name-fill-23-bytes", "format/pdb_writer.cpp",
     "std::memset(t.data(), 0xFF, 24);", "std::memset(t.data(), 0xFF, 23);", False),
    ("compression-low-byte-ignored", "format/doc_importer.cpp",
     "compression == 1 || (compression & 0xFF) == 0", "compression == 1", False),
    ("html-drops-single-breaks", "source/line_breaks.cpp",
     "(lfNeighbours == 0 && htmlForm)", "(lfNeighbours == 0 && !htmlForm)", False),
    ("pass-through-any-case", "source/html_converter.cpp",
     "{kPassThroughOpen, true, TagAction::kPassThrough}",
     "{kPassThroughOpen, false, TagAction::kPassThrough}", False),
    ("nbsp-exact-case", "source/html_entities.cpp",
     "return startsWithIgnoringAsciiCase(text, kNbsp);", "return text.starts_with(kNbsp);", False),
    ("utf8-overlong-e0", "source/charset.cpp",
     "if (lead == 0xE0) low = 0xA0;", "", False),
    ("utf8-surrogates-read", "source/charset.cpp",
     "if (lead == 0xED) high = 0x9F;", "", False),
    ("marks-not-reordered", "source/charset.cpp",
     "j > 0 && cls[j] != 0 && cls[j - 1] > cls[j]", "false", False),
    ("blocked-mark-composes", "source/charset.cpp",
     "kept == starter + 1 : lastClass < c", "kept == starter + 1 : lastClass <= c", False),
    ("letter-not-taken-back", "source/charset.cpp",
     "if (count_ == 0 && canTakeBack_) {", "if (false) {", False),
    ("cr-lf-two-lines", "source/charset.cpp",
     "(value == '\\n' && !afterCr_)", "value == '\\n'", False),
    ("name-beats-byte-order-mark", "source/charset.cpp",
     "if (const auto bom = byteOrderMark(bytes)) {", "if (const auto bom = named ? std::nullopt : byteOrderMark(bytes)) {", False),
    ("meta-content-without-pragma", "source/charset.cpp",
     "(needPragma == kNeeded && !gotPragma)", "(needPragma == kNeeded && !gotPragma && !charset)",
     False),
    ("legacy-names-short", "source/html_entities.cpp",
     "constexpr std::size_t kLongestLegacyName = 6;", "constexpr std::size_t kLongestLegacyName = 5;", False),
    ("numeric-c1-as-latin1", "source/html_entities.cpp",
     "value >= 0x80 && value <= 0x9F ?", "false ?", False),
    ("bold-raises-ascii-only", "source/html_converter.cpp",
     "out_.put(bold ? windows1252Capital(b) : b);",
     "out_.put(bold ? static_cast<unsigned char>(toUpperAscii(c)) : b);", False),
    ("join-beside-a-blank", "source/line_breaks.cpp",
     "!isBlank(before) && after", "after", False),
    ("end-of-text-kept", "source/source_loading.cpp",
     "return removeEveryByte(data, size, kEndOfText);",
     "return size;", False),
    ("bookmarks-unsorted", "format/doc_builder.cpp",
     "return a.offset < b.offset;", "return false;", False),
    ("bookmark-name-16-bytes", "format/doc_builder.cpp",
     "std::min(name.size(), kBookmarkNameSize - 1)", "std::min(name.size(), kBookmarkNameSize)", False),
    ("bookmarks-one-over-limit", "format/doc_builder.cpp",
     "options.bookmarks.size() > static_cast<std::size_t>(ceiling)",
     "options.bookmarks.size() > static_cast<std::size_t>(ceiling) + 1", False),
    ("check-passes-references-before-text", "format/doc_importer.cpp",
     "return decoder.length() == length && decoder.referencesBeforeText() == 0 &&",
     "return decoder.length() == length &&", False),
    ("record-past-end-silent", "format/doc_importer.cpp",
     "damage.push_back({DocDamageKind::kRecordPastEnd, k, offset, db.size()});", "", False),
    ("conduit-any-case", "hotsync/user_scan.cpp",
     'std::strncmp(module, "inscn", 5)', 'strncasecmp(module, "inscn", 5)', False),
    ("display-name-one-early", "hotsync/user_scan.cpp",
     "const std::size_t first = zero + 2;", "const std::size_t first = zero + 1;", False),
    ("install-flag-skipped", "hotsync/install_run.cpp",
     "    markUserForInstall(users, userName, request.keys);\n", "", False),
    ("closing-quote-kept", "hotsync/install_target.cpp",
     "if (!name.empty() && name.back() == '\"') name.remove_suffix(1);", "", False),
    ("hotsync-name-49-bytes", "settings/app_options.cpp",
     "offsetof(AppOptions, hotsyncName),\n     kHotsyncNameSize}",
     "offsetof(AppOptions, hotsyncName),\n     kHotsyncNameSize - 1}", False),
    ("quoted-user-keeps-quote", "app/command_line.cpp",
     "const std::size_t start = at + 1;", "const std::size_t start = at;", False),
    ("u-names-still-ask-for-user", "app/win32/main_flow.cpp",
     "if (!flow_.commandLineUsers.empty()) {", "if (flow_.commandLineUsers.size() > 1) {", True),
]

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "mutants")


def run(command, cwd, quiet=True):
    out = subprocess.DEVNULL if quiet else None
    return subprocess.run(command, cwd=cwd, stdout=out, stderr=out).returncode == 0


def prepare(windows):
    source = os.path.join(WORK, "src")
    if os.path.exists(source):
        run(["git", "worktree", "remove", "--force", source], ROOT)
        shutil.rmtree(source, ignore_errors=True)
    os.makedirs(WORK, exist_ok=True)
    run(["git", "worktree", "prune"], ROOT)
    if not run(["git", "worktree", "add", "--detach", source, "HEAD"], ROOT):
        sys.exit("mutants: cannot make a work tree of HEAD")
    builds = {"native": os.path.join(WORK, "native")}
    configure = {"native": ["-DCMAKE_BUILD_TYPE=Debug"]}
    if windows:
        builds["windows"] = os.path.join(WORK, "windows")
        configure["windows"] = ["-DCMAKE_BUILD_TYPE=Release",
                                "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake"]
    for kind, build in builds.items():
        if not run(["cmake", "-G", "Ninja", "-S", source, "-B", build] + configure[kind], source) or \
           not run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2)], source, quiet=False):
            sys.exit("mutants: the unchanged tree does not build (%s)" % kind)
    return source, builds


def caught(build):
    """True when the build fails or some test fails."""
    if not run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2)], build):
        return True
    return not run(["ctest", "-j", str(os.cpu_count() or 2), "--stop-on-failure",
                    "--timeout", "300"], build)


def main():
    windows = "--windows" in sys.argv[1:]
    wanted = [a for a in sys.argv[1:] if not a.startswith("--")]
    faults = [f for f in FAULTS if (not wanted or f[0] in wanted) and (windows or not f[4])]
    source, builds = prepare(windows)
    missed = []
    for name, path, before, after, needs_windows in faults:
        file = os.path.join(source, path)
        with open(file, encoding="latin-1") as f:
            text = f.read()
        if text.count(before) != 1:
            print("%-32s STALE (its text is not in %s once)" % (name, path))
            missed.append(name)
            continue
        with open(file, "w", encoding="latin-1") as f:
            f.write(text.replace(before, after))
        build = builds["windows" if needs_windows else "native"]
        verdict = caught(build)
        with open(file, "w", encoding="latin-1") as f:
            f.write(text)
        print("%-32s %s" % (name, "caught" if verdict else "MISSED"), flush=True)
        if not verdict:
            missed.append(name)
    for build in builds.values():
        run(["cmake", "--build", build], build)
    print("%d of %d faults caught" % (len(faults) - len(missed), len(faults)))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())

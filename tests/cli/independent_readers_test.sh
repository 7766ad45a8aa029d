#!/bin/sh
# independent_readers_test.sh QUILLET SAMPLE: a book with bookmarks, read back by the Doc
# readers of other authors that this machine has (txt2pdbdoc, mobitool, calibre's
# ebook-convert), must give the text our importer gives; bookmark records after the text
# must not disturb them. Readers that are not installed are skipped, each with a line; with
# none installed the test is reported as skipped (exit 77).
set -eu
quillet=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Readers differ in line ends and wrapping; the words and their order must not.
words() { tr -s '[:space:]' ' ' < "$1" | sed 's/^ //; s/ $//'; }

"$quillet" build "$sample" --public --bookmark '^[IVX]+\.$' -o book.pdb -q
"$quillet" info book.pdb | grep -q '^Bookmarks: 5' || fail "the book has no bookmarks"
"$quillet" import book.pdb -o ours.txt -q
words ours.txt > ours.words

ran=0
check() {  # check READER FILE
  words "$2" > theirs.words
  cmp -s ours.words theirs.words || fail "$1 reads another text than ours"
  echo "$1: the same text"
  ran=$((ran + 1))
}

if command -v txt2pdbdoc >/dev/null 2>&1; then
  txt2pdbdoc -d book.pdb txt2pdbdoc.txt || fail "txt2pdbdoc could not read the book"
  check txt2pdbdoc txt2pdbdoc.txt
else
  echo "skipped: txt2pdbdoc is not installed"
fi

if command -v mobitool >/dev/null 2>&1; then
  mkdir mobi
  mobitool -d -o mobi book.pdb >/dev/null || fail "mobitool could not read the book"
  rawml=$(find mobi -name '*.rawml' | head -n 1)
  [ -n "$rawml" ] || fail "mobitool wrote no text"
  check mobitool "$rawml"
else
  echo "skipped: mobitool is not installed"
fi

if command -v ebook-convert >/dev/null 2>&1; then
  ebook-convert book.pdb calibre.txt >/dev/null || fail "ebook-convert could not read the book"
  check ebook-convert calibre.txt
else
  echo "skipped: ebook-convert (calibre) is not installed"
fi

[ "$ran" -gt 0 ] || exit 77

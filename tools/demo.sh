#!/bin/sh
# demo.sh QUILLET SAMPLES_DIR: makes a Palm Doc from each sample text, reads it back, checks
# that the text came back unchanged, and prints a one-line summary per book.
set -eu
quillet=$1
samples=$2
out=$(dirname "$quillet")/demo
mkdir -p "$out"
status=0
for text in "$samples"/*.txt; do
  name=$(basename "$text" .txt)
  pdb="$out/$name.pdb"
  summary=$("$quillet" build "$text" -o "$pdb")
  "$quillet" import "$pdb" -o "$out/$name.back.txt"
  # The samples use LF line ends, so the text must come back byte for byte.
  if cmp -s "$text" "$out/$name.back.txt"; then
    echo "$summary; read back identical"
  else
    echo "$summary; READ BACK DIFFERS from $text" >&2
    status=1
  fi
done
for page in "$samples"/*.html; do
  name=$(basename "$page" .html)
  summary=$("$quillet" build "$page" -o "$out/$name.pdb")
  echo "$summary; converted from HTML"
done
exit $status

#!/bin/sh
# standard_streams_test.sh QUILLET: text from standard input, and text to standard output.
set -eu
quillet=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

printf 'one\r\ntwo\rthree\n' | "$quillet" build - -o in.pdb -q
"$quillet" import in.pdb > back.txt
printf 'one\ntwo\nthree\n' > expected.txt
cmp back.txt expected.txt

# The default name for standard input.
printf 'x' | "$quillet" build - -q
test -f stdin.pdb
echo "standard input and output carry the bytes unchanged"

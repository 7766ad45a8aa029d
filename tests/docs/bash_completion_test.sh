#!/bin/bash
# bash_completion_test.sh COMPLETION_FILE: what the bash completion offers for a few
# command lines: command names, the values of -t, and files by the endings each command
# reads (in any case), with folders to go into.
set -u
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch story.txt notes.TEXT page.html old.htm book.pdb APP.PRC photo.jpg
mkdir shelf

failures=0
# expect WANTED WORD...: completing the last WORD offers exactly WANTED (sorted, blank-separated).
expect() {
  local wanted=$1 got
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _quillet
  got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs)
  if [[ $got != "$wanted" ]]; then
    echo "'$*': offered '$got', expected '$wanted'"
    failures=$((failures + 1))
  fi
}

expect "build" quillet bu
expect "info install" quillet in
expect "blank doc html text" quillet build -t ""
expect "html" quillet build --type = h
expect "APP.PRC book.pdb notes.TEXT old.htm page.html shelf story.txt" quillet build ""
expect "APP.PRC book.pdb shelf" quillet import ""
expect "APP.PRC book.pdb shelf" quillet install -u Ann ""
expect "old.htm page.html shelf" quillet html ""
expect "--no-title" quillet html --no

[[ $failures -eq 0 ]] && echo "bash completion offers the expected words and files"
exit $((failures > 0))

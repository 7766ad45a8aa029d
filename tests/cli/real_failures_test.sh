#!/bin/sh
# real_failures_test.sh QUILLET: failures of the real system, not of the test seam: a full
# disk, a file-size limit, and a build interrupted by a signal. After each: exit code,
# message, the earlier output unchanged, nothing left beside it.
set -eu
quillet=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# A text of about 24 MB, so that a build takes a while.
awk 'BEGIN { srand(7); for (i = 0; i < 400000; i++) {
  line = ""; for (w = 0; w < 9; w++) line = line sprintf("%c%c%c%c ", 97+int(rand()*26),
  97+int(rand()*26), 97+int(rand()*26), 97+int(rand()*26)); print line } }' > big.txt
printf 'a short book\n' > small.txt
"$quillet" build small.txt -o book.pdb -q
cp book.pdb earlier.pdb

# A full disk under standard output.
if [ -w /dev/full ]; then
  set +e
  "$quillet" import book.pdb > /dev/full 2> err.txt; status=$?
  set -e
  [ "$status" = 1 ] || fail "import to a full disk exited $status"
  grep -q "disk full while writing standard output" err.txt || fail "$(cat err.txt)"
fi

# No file may grow beyond 64 KiB: the build fails, says why, and leaves no scratch file.
set +e
(ulimit -f 64 && exec "$quillet" build big.txt -o book.pdb -q) 2> err.txt; status=$?
set -e
[ "$status" = 1 ] || fail "a build over the size limit exited $status: $(cat err.txt)"
grep -q "cannot write 'book.pdb': File too large" err.txt || fail "$(cat err.txt)"
cmp -s book.pdb earlier.pdb || fail "the earlier book changed"
[ "$(ls | grep -c part)" = 0 ] || fail "a scratch file was left: $(ls)"

# Interrupted while it writes: the scratch file goes, the earlier book stays.
for signal in INT TERM; do
  "$quillet" build big.txt -o book.pdb -q --no-verify &
  pid=$!
  tries=0
  while ! ls | grep -q '\.part$'; do
    tries=$((tries + 1))
    [ "$tries" -lt 2000 ] || fail "no scratch file appeared"
    sleep 0.005
  done
  kill -s "$signal" "$pid"
  set +e
  wait "$pid"; status=$?
  set -e
  case "$signal:$status" in
    INT:130|TERM:143) ;;
    *) fail "interrupted by SIG$signal, exited $status" ;;
  esac
  cmp -s book.pdb earlier.pdb || fail "the earlier book changed (SIG$signal)"
  [ "$(ls | grep -c part)" = 0 ] || fail "a scratch file was left (SIG$signal): $(ls)"
done
echo "full disks, size limits and interrupts leave the earlier book and nothing else"

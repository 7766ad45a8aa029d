#!/bin/sh
# build.sh TARGET: makes sure the tools the target needs are installed (on Debian 12, as
# root, with apt-get), then runs it with make. TARGET is a make target: demo, test, ...
set -eu
cd "$(dirname "$0")"
target=${1:-demo}
case $target in
  demo|native|test-native) groups="native" ;;
  test) groups="native windows fuzz" ;;
  windows|test-windows|release) groups="native windows" ;;
  check-packages) groups="native windows check" ;;
  fuzz) groups="native fuzz" ;;
  bench) groups="native bench" ;;
  screenshots) groups="native windows shots" ;;
  *) groups="native" ;;
esac
command -v dpkg-query >/dev/null && ./tools/install-deps.sh $groups
exec make "$target"

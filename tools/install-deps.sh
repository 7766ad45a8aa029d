#!/bin/sh
# install-deps.sh GROUP...
# Installs the Debian 12 packages a build needs, only those missing. Groups:
#   native   compiler, CMake, Ninja, GoogleTest          (the quillet command and its tests)
#   windows  MinGW-w64 cross compiler and Wine           (the Windows build and its tests)
#   fuzz     clang with libFuzzer                         (the fuzz targets)
#   bench    Google Benchmark, Python                     (bench/)
#   shots    Xvfb, ImageMagick, Wine's fonts             (dialog screenshots)
#   check    debootstrap and zstd                         (make check-packages)
set -eu

packages() {
  case $1 in
    native) echo "make cmake ninja-build g++ googletest libgtest-dev" ;;
    windows) echo "g++-mingw-w64-x86-64 wine wine64 googletest" ;;
    fuzz) echo "clang libclang-rt-14-dev" ;;
    bench) echo "libbenchmark-dev python3" ;;
    shots) echo "xvfb xauth imagemagick fonts-wine" ;;
    check) echo "debootstrap zstd" ;;
    *) echo "install-deps.sh: unknown group '$1'" >&2; exit 2 ;;
  esac
}

missing=""
for group in "$@"; do
  for p in $(packages "$group"); do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
  done
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "Missing packages:$missing" >&2
  echo "Install them with: sudo apt-get install$missing" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null

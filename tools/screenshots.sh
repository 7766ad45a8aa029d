#!/bin/sh
# screenshots.sh BUILD_DIR: pictures of every dialog of quillet-maker.exe, taken under
# Xvfb with Wine's X11 driver, into docs/screenshots/*.png.
set -eu
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
out=$top/docs/screenshots
prefix=$build/wineprefix-screenshots
mkdir -p "$out"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.quillet-ready" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1
  # Without a window manager Wine draws the title bars itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.quillet-ready"
fi
# Wine draws the title bar's buttons with the Marlett symbol font ("r" is the close
# button). Debian's Wine does not load the fonts of fonts-wine from /usr/share/wine/fonts,
# and without a font named Marlett the buttons come out as letters: the prefix's own
# Fonts folder is where Wine finds it.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] || { echo "screenshots.sh: $marlett missing (apt-get install fonts-wine)" >&2; exit 1; }
cp "$marlett" "$prefix/drive_c/windows/Fonts/"
shots=$(mktemp -d)
trap 'rm -rf "$shots"; wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a -s '-screen 0 1024x768x24' \
  wine "$build/tests/gui/dialog-gallery.exe" "Z:$(echo "$shots" | tr / '\\')" </dev/null
for bmp in "$shots"/*.bmp; do
  convert "$bmp" "$out/$(basename "$bmp" .bmp).png"
done
ls -1 "$out"

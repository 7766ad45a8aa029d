#!/bin/bash
# check-packages.sh [BUILD]: installs the release packages on a fresh Debian 12 and uses
# them as a new user would, to show that they stand alone.
#
#   1. the Debian package (BUILD/release/quillet_*.deb), installed with apt-get on a
#      minimal Debian 12 (debootstrap --variant=minbase, nothing else): quillet --version,
#      man -w quillet, its documents and completions, a build and an import;
#   2. the Windows zip (BUILD/windows/quillet-maker-*-windows.zip), unpacked there with
#      unzip: its README's pictures are beside it, and quillet.exe --version and a build
#      run under Wine from the unpacked folder (the book read back by the Linux quillet).
#
# Needs root (chroot, mounts), debootstrap and zstd, and the network for apt-get. The
# minimal system is made once and kept as a tarball in $CHECK_CACHE (default
# /var/cache/quillet-check); CHECK_BASE names another tarball of such a system to use.
# Every run unpacks a new copy under /var/tmp and deletes it at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
cache=${CHECK_CACHE:-/var/cache/quillet-check}
base=${CHECK_BASE:-$cache/bookworm-minbase.tar.zst}

say() { echo "check-packages: $*"; }
die() { say "$*" >&2; exit 2; }

[ "$(id -u)" = 0 ] || die "must run as root"
for tool in chroot mount umount zstd tar; do
  command -v "$tool" >/dev/null || die "missing $tool"
done
deb=$(ls "$build"/release/quillet_*.deb 2>/dev/null | tail -n 1)
zip=$(ls "$build"/windows/quillet-maker-*-windows.zip 2>/dev/null | tail -n 1)
[ -n "$deb" ] || die "no $build/release/quillet_*.deb: run 'make release' first"
[ -n "$zip" ] || die "no $build/windows/quillet-maker-*-windows.zip: run 'make release' first"

# The mirror this machine's apt uses for bookworm.
mirror() {
  { cat /etc/apt/sources.list.d/*.sources 2>/dev/null; echo; } | awk '
    /^URIs:/ { u = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") s = 1 }
    /^$/ { if (s && u) { print u; exit } u = ""; s = 0 }'
  grep -h -E '^deb[[:space:]]' /etc/apt/sources.list 2>/dev/null | awk '$3 == "bookworm" { print $2; exit }'
}

root=""
teardown() {
  [ -n "$root" ] && [ -d "$root" ] || return 0
  local pid link i
  # Processes left inside (Wine's server): ended by pid, only those rooted in our copy.
  for i in 1 2 3 4 5 6; do
    local any=0
    for pid in /proc/[0-9]*; do
      link=$(readlink "$pid/root" 2>/dev/null) || continue
      case $link in "$root" | "$root"/*) any=1; kill -s "$([ "$i" -le 3 ] && echo TERM || echo KILL)" "${pid#/proc/}" 2>/dev/null || true ;; esac
    done
    [ "$any" = 0 ] && break
    sleep 0.5
  done
  for m in $(awk -v d="$root" '$5 == d || index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r); do
    umount "$m" 2>/dev/null || umount -l "$m"
  done
  if awk -v d="$root" 'index($5, d "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
    say "still mounted under $root; left in place" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
trap teardown EXIT
trap 'exit 130' INT TERM HUP

# --- a minimal Debian 12, made once -----------------------------------------------------
if [ ! -s "$base" ]; then
  command -v debootstrap >/dev/null || die "missing debootstrap (apt-get install debootstrap)"
  url=$(mirror 2>/dev/null | head -n 1 || true)
  url=${url:-http://deb.debian.org/debian}
  say "making a minimal Debian 12 from $url (once; kept in $base)"
  mkdir -p "$(dirname "$base")" "$cache"
  root=$(mktemp -d /var/tmp/quillet-check-base.XXXXXX)
  chmod 755 "$root"
  debootstrap --variant=minbase bookworm "$root" "$url" >"$cache/debootstrap.log" 2>&1 ||
    die "debootstrap failed; see $cache/debootstrap.log"
  printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$url" "$url" >"$root/etc/apt/sources.list"
  rm -rf "$root"/var/lib/apt/lists/* "$root"/var/cache/apt/archives/*.deb
  tar -C "$root" --numeric-owner -cf - . | zstd -q -T0 -o "$base.part"
  mv -f "$base.part" "$base"
  teardown
fi

# --- this run's copy ----------------------------------------------------------------------
root=$(mktemp -d /var/tmp/quillet-check.XXXXXX)
chmod 755 "$root"
zstd -dc "$base" | tar -C "$root" --numeric-owner -xpf -
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# No daemons started by package scripts.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$root/$m"
  mount --make-private "$root/$m"
done
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$root/dev/shm"
mkdir -p "$root/packages"
cp "$deb" "$zip" "$top"/samples/the-lamp-at-harrow-point.txt "$top"/samples/sample-page.html \
  "$root/packages/"
inside() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c "$1" </dev/null
}

say "Debian package: $(basename "$deb")"
inside '
set -euo pipefail
cd /packages
apt-get update -qq
apt-get install -y -qq --no-install-recommends ./quillet_*.deb >/dev/null
apt-get install -y -qq --no-install-recommends man-db >/dev/null
set -x
quillet --version
man -w quillet
man -w quillet-maker
MANWIDTH=80 man quillet 2>&1 >/dev/null | { ! grep .; }
test -s /usr/share/doc/quillet/copyright -a -s /usr/share/doc/quillet/README.md
test -s /usr/share/bash-completion/completions/quillet -a -s /usr/share/zsh/vendor-completions/_quillet
bash -c "source /usr/share/bash-completion/completions/quillet && complete -p quillet"
mkdir /tmp/books && cd /tmp/books
quillet build /packages/the-lamp-at-harrow-point.txt -o lamp.pdb
quillet build /packages/sample-page.html --public -o page.pdb
quillet info page.pdb >/dev/null
quillet import lamp.pdb -o lamp.txt
cmp lamp.txt /packages/the-lamp-at-harrow-point.txt
'
say "Debian package: installed and used"

say "Windows zip: $(basename "$zip")"
inside '
set -euo pipefail
apt-get install -y -qq --no-install-recommends unzip wine wine64 >/dev/null
mkdir /tmp/unpacked && cd /tmp/unpacked
unzip -q /packages/quillet-maker-*-windows.zip
cd quillet-maker-*-windows
ls -R
test -f quillet.exe -a -f quillet-maker.exe -a -f README.html -a -f LICENSE.txt
for picture in $(grep -o "src=\"[^\"]*\"" README.html | sed "s/src=\"\\(.*\\)\"/\\1/"); do
  test -f "$picture" || { echo "README.html shows $picture, which is not in the zip"; exit 1; }
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
set -x
wine quillet.exe --version
wine quillet.exe build /packages/the-lamp-at-harrow-point.txt -o /tmp/lamp-windows.pdb
wineserver -k || true
quillet import /tmp/lamp-windows.pdb -o /tmp/lamp-windows.txt
cmp /tmp/lamp-windows.txt /packages/the-lamp-at-harrow-point.txt
'
say "Windows zip: unpacked and used under Wine"
say "both packages work on a fresh Debian 12"

#!/bin/sh
# Installs what the Windows build and its tests need, when it is missing
# (Debian, as root): the mingw-w64 compiler with posix threads, its binutils
# (objdump, windres) and Wine. Usage: scripts/setup-windows.sh [i686|x86_64]
#   i686 (default): the host's 32-bit build, with Wine's 32-bit part.
#   x86_64: the 64-bit build and 64-bit Wine, for machines that cannot run
#           32-bit programs.
set -eu
arch=${1:-i686}
case $arch in
  i686) packages="g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386" ;;
  x86_64) packages="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64" ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
export DEBIAN_FRONTEND=noninteractive
case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
  *" i386 "*) ;;
  *) dpkg --add-architecture i386 ;;
esac
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null

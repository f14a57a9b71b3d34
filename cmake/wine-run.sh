#!/bin/sh
# Runs a Windows program under Wine for CTest, quietly; the prefix (WINEPREFIX,
# set by the toolchain file to a folder in the build tree) is made once, also
# when several tests start together.
set -eu
export WINEDEBUG=-all
# No Mono or Gecko installer prompts.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=wine
# The PE header's machine field: 64-bit programs go to the 64-bit loader. For
# one of Wine's own programs (regsvr32, reg, ...) ZVDS_WINE_LIKE names the
# module whose machine decides.
image=${ZVDS_WINE_LIKE:-$1}
if [ -f "$image" ]; then
  pe=$(od -An -tu4 -j60 -N4 "$image" | tr -d ' ')
  if [ "$(od -An -tx1 -j$((pe + 4)) -N2 "$image" | tr -d ' ')" = 6486 ] && [ -x /usr/lib/wine/wine64 ]; then
    wine=/usr/lib/wine/wine64
  fi
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"

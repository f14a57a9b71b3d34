#!/bin/sh
# Registers the plug-ins with Wine's own regsvr32, reads the result back with
# Wine's reg query, unregisters one with regsvr32 /u and reads again.
# Usage: check_regsvr32.sh WINE_RUN DLL FAMILY [DLL FAMILY]...
#   WINE_RUN: cmake/wine-run.sh (WINEPREFIX set by the caller).
set -eu
run=$1
shift
[ $# -ge 4 ] && [ $(($# % 2)) = 0 ] || { echo "usage: $0 WINE_RUN DLL FAMILY DLL FAMILY..." >&2; exit 2; }
# The loader that suits the DLLs (32- or 64-bit).
export ZVDS_WINE_LIKE="$1"
scopes='HKEY_LOCAL_MACHINE\Software\Morvane\Lumetra\1.0\Vesk\Scopes'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

families="$work/families"
: >"$families"
# The families to a file, and only the DLLs left as the arguments.
n=0
for argument; do
  n=$((n + 1))
  if [ $((n % 2)) = 1 ]; then
    set -- "$@" "$argument"
  else
    printf '%s\n' "$argument" >>"$families"
  fi
done
shift "$n"

# "family<TAB>path" per registered family, from reg query's listing.
registered() {
  # The key from the environment: awk -v would take its backslashes as escapes.
  "$run" reg query "$scopes" /s 2>/dev/null | tr -d '\r' | scopes="$scopes\\" awk '
    index($0, ENVIRON["scopes"]) == 1 { family = substr($0, length(ENVIRON["scopes"]) + 1); next }
    /^ +DllPath +REG_SZ +/ { sub(/^ +DllPath +REG_SZ +/, ""); print family "\t" $0 }' |
    sort
}

# What the loader calls each file, in the listing's form.
"$run" winepath -w "$@" | tr -d '\r' >"$work/paths"
paste "$families" "$work/paths" | sort >"$work/all"

# Nothing of ours may be there before.
"$run" regsvr32 /s /u "$@" || true
"$run" regsvr32 /s "$@" || { echo "regsvr32 failed with status $?"; exit 1; }
registered >"$work/after-register"
if ! cmp -s "$work/all" "$work/after-register"; then
  echo "after regsvr32, expected:"; cat "$work/all"
  echo "found:"; cat "$work/after-register"
  exit 1
fi
echo "registered: $(wc -l <"$work/all") families, each DllPath its DLL's path"

# The second one goes; the others stay as they were.
gone=$2
gone_family=$(sed -n 2p "$families")
"$run" regsvr32 /s /u "$gone" || { echo "regsvr32 /u failed with status $?"; exit 1; }
registered >"$work/after-unregister"
awk -F '\t' -v family="$gone_family" '$1 != family' "$work/all" >"$work/rest"
if ! cmp -s "$work/rest" "$work/after-unregister"; then
  echo "after regsvr32 /u $gone, expected:"; cat "$work/rest"
  echo "found:"; cat "$work/after-unregister"
  exit 1
fi
"$run" reg query "$scopes" >/dev/null 2>&1 || { echo "the Scopes key went with it"; exit 1; }
echo "unregistered $gone_family; the $(wc -l <"$work/rest") others stay"

"$run" regsvr32 /s /u "$@"

#!/bin/sh
# Reads a Windows DLL's export and import tables with the toolchain's objdump.
# Usage: check_pe_exports.sh OBJDUMP DLL MODE
#   MODE plugin: a plug-in; exactly the host's names at their ordinals
#                (registration at 1 and 2), nothing else.
#   MODE visa:   the simulated VISA32.dll; its seven VISA functions by name at
#                their standard ordinals (the C++ control API besides).
# Either way only Windows system DLLs may be imported.
set -eu
objdump=$1 dll=$2 mode=$3
dump=$("$objdump" -p "$dll")

# "ordinal name" per export: the name table gives indices from the ordinal base.
base=$(printf '%s\n' "$dump" | sed -n 's/^Export Address Table -- Ordinal Base \([0-9]*\).*/\1/p')
actual=$(printf '%s\n' "$dump" | awk -v base="${base:-0}" '
  /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^$/ { on = 0 }
  on && match($0, /\[ *[0-9]+\] /) {
    index_ = substr($0, RSTART + 1, RLENGTH - 3) + 0
    name = substr($0, RSTART + RLENGTH)
    print index_ + base, name
  }' | sort -n)

case $mode in
  visa)
    expected="131 viOpen
132 viClose
133 viGetAttribute
134 viSetAttribute
141 viOpenDefaultRM
256 viRead
257 viWrite"
    got=$(printf '%s\n' "$actual" | awk '$2 ~ /^vi/' | sort -n) ;;
  plugin)
    expected="1 DllRegisterServer
2 DllUnregisterServer
11 ZVDS_Open
12 ZVDS_Close
13 ZVDS_EnumValidChannels
14 ZVDS_ReadWaveform
15 ZVDS_HasLongData
16 ZVDS_GetErrMessage"
    got=$actual ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
if [ "$got" != "$expected" ]; then
  echo "exports of $(basename "$dll") differ:"
  echo "expected:"; echo "$expected"
  echo "found:"; echo "$actual"
  exit 1
fi

# 32-bit: the callee removes its arguments (__stdcall), seen in the symbol
# names' argument sizes, e.g. _ZVDS_Open@8.
if printf '%s\n' "$dump" | grep -q 'file format pei\?-i386'; then
  symbols=$("$objdump" -t "$dll")
  for entry in ZVDS_Open@8 ZVDS_Close@4 ZVDS_EnumValidChannels@8 ZVDS_ReadWaveform@16 \
    ZVDS_HasLongData@4 ZVDS_GetErrMessage@16 DllRegisterServer@0 DllUnregisterServer@0 \
    viOpenDefaultRM@4 viOpen@20 viClose@4 viGetAttribute@12 viSetAttribute@12 viRead@16 \
    viWrite@16; do
    case " $(printf '%s\n' "$got" | awk '{print $2}' | tr '\n' ' ') " in
      *" ${entry%@*} "*)
        printf '%s\n' "$symbols" | grep -q " _$entry\$" ||
          { echo "${entry%@*} is not __stdcall with ${entry#*@} bytes of arguments"; exit 1; } ;;
    esac
  done
fi

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
for name in $imports; do
  case $(printf '%s' "$name" | tr 'A-Z' 'a-z') in
    kernel32.dll | user32.dll | advapi32.dll | msvcrt.dll | api-ms-win-*) ;;
    *) echo "$(basename "$dll") imports $name"; exit 1 ;;
  esac
done
echo "$(basename "$dll") exports:" $(printf '%s\n' "$got" | tr '\n' ' ')
echo "$(basename "$dll") imports:" $imports

#!/bin/sh
# Lists what a plug-in defines for the dynamic linker and compares it with the
# exports the host binds; also makes sure no VISA function is linked in.
set -eu
lib=$1
expected="DllRegisterServer DllUnregisterServer ZVDS_Close ZVDS_EnumValidChannels ZVDS_GetErrMessage ZVDS_HasLongData ZVDS_Open ZVDS_ReadWaveform"
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBRVi]$/ {print $3}' | sort | tr '\n' ' ')
for name in $actual; do
  case " $expected " in
    *" $name "*) ;;
    *) echo "unexpected export: $name"; exit 1 ;;
  esac
done
for name in $expected; do
  case " $actual " in
    *" $name "*) ;;
    *) echo "missing export: $name"; exit 1 ;;
  esac
done
if nm -D "$lib" | grep -E ' (U|T) vi[A-Z]' >/dev/null; then
  echo "a VISA function is linked into $lib"; exit 1
fi
echo "exports of $(basename "$lib"): $actual"

#!/bin/sh
# Installs what the Linux build and tests need, when it is missing (Debian, as root).
set -eu
packages="g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev binutils python3 clang libclang-rt-14-dev"
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq $missing >/dev/null
fi

#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine; a
# second run finds everything present and installs nothing.
#   bootstrap.sh          the i686 product build and 32-bit Wine (always)
#   bootstrap.sh x86_64   also the x86-64 compilers and 64-bit Wine
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-win32 >/dev/null 2>&1 || need+=(g++-mingw-w64-i686-win32)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v wine >/dev/null 2>&1 || need+=(wine)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
[ -d /usr/src/googletest ] || need+=(googletest)
if [ "${1:-}" = x86_64 ]; then
  command -v x86_64-w64-mingw32-g++-win32 >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64-win32)
  [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
fi

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${need[@]}"
fi

#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine: private prefix, code page 932, own display.
# Used as CMake's cross-compiling emulator, so CTest runs every test program through it.
# The build tree is SETUP_BUILD_DIR or the nearest folder above the program that holds CMakeCache.txt.
set -u
prog=$1; shift
dir=${SETUP_BUILD_DIR:-}
if [ -z "$dir" ]; then
    dir=$(cd "$(dirname "$prog")" && pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    [ -f "$dir/CMakeCache.txt" ] || { echo "wine-run: no build tree above $prog" >&2; exit 2; }
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "$dir" 2>/dev/null
setup_wine_ready
exec "$SETUP_WINE" "$prog" "$@"

#!/usr/bin/env bash
# Builds the shipped programs (SETUP.EXE, SETUPCHK.EXE) of both targets once more in fresh build
# trees and compares them byte for byte with those of build/x64 and build/i686: two clean builds
# of the same commit must be the same bytes. Prints each program's size. Run after tools/build.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=${SETUP_JOBS:-$(nproc)}
status=0
for arch in x64 i686; do
    toolchain=cmake/toolchain-$([ "$arch" = x64 ] && echo x86_64 || echo i686).cmake
    again=build/reproduce-$arch
    rm -rf "$again"
    cmake -G Ninja -S . -B "$again" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DSETUP_BUILD_TESTS=OFF >/dev/null || exit 1
    cmake --build "$again" --target setup setupchk -j "$jobs" >/dev/null || exit 1
    for program in SETUP.EXE SETUPCHK.EXE; do
        size=$(stat -c %s "build/$arch/$program")
        if cmp -s "build/$arch/$program" "$again/$program"; then
            echo "reproducible: build/$arch/$program ($size bytes)"
        else
            echo "NOT REPRODUCIBLE: build/$arch/$program differs from a second clean build"
            status=1
        fi
    done
    rm -rf "$again"
done
exit $status

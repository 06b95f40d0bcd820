#!/usr/bin/env bash
# Builds the shipped programs (SETUP.EXE, SETUPCHK.EXE, SETUPMAK.EXE) of both targets once more in
# fresh build trees and compares them byte for byte with those of build/x64 and build/i686: two
# clean builds of the same commit must be the same bytes. Prints each program's size. Then packs
# the sample into a single file with the Linux builder and with SETUPMAK.EXE under Wine: the same
# folder gives the same bytes on either system. Run after tools/build.sh.
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
    cmake --build "$again" --target setup setupchk setupmak -j "$jobs" >/dev/null || exit 1
    for program in SETUP.EXE SETUPCHK.EXE SETUPMAK.EXE; do
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

single=build/reproduce-single
rm -rf "$single"
mkdir -p "$single"
# Wine shows the Linux root as drive Z:.
zpath() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }
build/linux/setupmak build/x64/sample-dist "/OUT=$single/linux.exe" /PLAIN=build/i686/SETUP.EXE >"$single/linux.txt" 2>&1 &&
    tools/wine-run.sh build/x64/SETUPMAK.EXE "$(zpath build/x64/sample-dist)" "/OUT=$(zpath "$single/windows.exe")" \
        "/PLAIN=$(zpath build/i686/SETUP.EXE)" >"$single/windows.txt" 2>&1
if cmp -s "$single/linux.exe" "$single/windows.exe"; then
    echo "reproducible: the sample's single file from setupmak and SETUPMAK.EXE ($(stat -c %s "$single/linux.exe") bytes)"
else
    echo "NOT REPRODUCIBLE: setupmak and SETUPMAK.EXE pack the sample differently"
    cat "$single"/*.txt
    status=1
fi
rm -rf "$single"
exit $status

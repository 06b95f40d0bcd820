#!/usr/bin/env bash
# Configures and builds the native Linux tools (setupmak, the distribution builder, with its tests)
# and both SETUP.EXE variants with their tests: x64 and i686 (32-bit).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${SETUP_JOBS:-$(nproc)}
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
cmake --preset x64 >/dev/null
cmake --build --preset x64 -j "$jobs"
cmake --preset i686 >/dev/null
cmake --build --preset i686 -j "$jobs"
# Signed copies of the programs when a key is given; else one line says they are not signed.
tools/sign.sh

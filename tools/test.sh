#!/usr/bin/env bash
# Installs the prerequisites, builds, and runs every test under Wine through CTest.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh || exit 1
tools/build.sh || exit 1
source tools/wine-env.sh build/x64 2>/dev/null
# A server or display left by an earlier command (run-sample, a single test) is replaced by a fresh
# one, so that every run starts from the same state.
setup_wine_stop
status=0
ctest --preset x64 -j "${SETUP_JOBS:-2}" "$@" || status=$?
# The shipped programs: two clean builds of the same commit are the same bytes.
tools/check-reproducible.sh || status=1
setup_wine_stop
exit $status

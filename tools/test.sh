#!/usr/bin/env bash
# Installs the prerequisites, builds, and runs every test through CTest: the native Linux tools
# (build/linux, no Wine), then the 64-bit build (build/x64) under the machine's Wine and, at the
# same time, the 32-bit build (build/i686) under the WoW64 Wine of the Debian 13 root. Each Windows
# tree has a prefix, server and display of its own. Extra arguments go to both Windows ctest runs.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh || exit 1
tools/build.sh || exit 1

trees=(build/x64 build/i686)
stop_wine() {
    local tree
    for tree in "${trees[@]}"; do
        (source tools/wine-env.sh "$tree" 2>/dev/null && setup_wine_stop)
    done
}
# A server or display left by an earlier command (run-sample, a single test) is replaced by a fresh
# one, so that every run starts from the same state. Whatever happens, the servers and displays
# stop at the end: the 32-bit programs' binds into the root go with their server.
stop_wine
trap stop_wine EXIT

# The native tools first: no Wine, a few seconds.
ctest --preset linux || exit 1

log=build/i686/ctest.log
ctest --preset i686 -j "${SETUP_JOBS:-2}" "$@" >"$log" 2>&1 &
i686=$!
# The shipped programs: two clean builds of the same commit are the same bytes. The second build
# takes the processor time the tests leave over.
nice -n 19 tools/check-reproducible.sh >build/reproducible.log 2>&1 &
reproducible=$!
status=0
ctest --preset x64 -j "${SETUP_JOBS:-2}" "$@" || status=$?
wait "$i686" || status=$?
echo
echo "==== 32-bit build: build/i686 under Wine's WoW64 mode (log $log) ===="
cat "$log"
wait "$reproducible" || status=1
cat build/reproducible.log
exit $status

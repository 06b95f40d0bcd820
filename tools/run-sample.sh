#!/usr/bin/env bash
# Installs the prerequisites, builds, and runs SETUP.EXE on the sample distribution under Wine.
#
#   tools/run-sample.sh              with a display: SETUP.EXE opens on it and you click through;
#                                    without one: the black-box driver installs the sample through
#                                    the wizard, then uninstalls it through its Add/Remove entry,
#                                    printing what each step left behind, with screenshots.
#   tools/run-sample.sh --driven     the driven run even when a display is present.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh || exit 1
tools/build.sh || exit 1
build=build/x64
source tools/wine-env.sh "$build" 2>/dev/null

if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--driven" ] && [ -z "${CI:-}" ]; then
    export SETUP_USE_CALLER_DISPLAY=1
    setup_wine_ready
    echo "Starting SETUP.EXE from $build/sample-dist on $DISPLAY ..."
    "$SETUP_WINE" "$build/sample-dist/SETUP.EXE"
    exit $?
fi

setup_wine_ready
export SETUP_E2E_EXE="$PWD/$build/SETUP.EXE"
export SETUP_E2E_EXAMPLES="$PWD/examples"
export SETUP_E2E_SCREENSHOTS="$PWD/$build/screenshots"
export SETUP_E2E_SAMPLE_DIST="$PWD/$build/sample-dist"
echo "Installing and uninstalling the sample distribution through the wizard (screenshots: $build/screenshots) ..."
"$SETUP_WINE" "$build/tests/e2e/test_e2e_sample.exe" --gtest_color=no --gtest_brief=1
status=$?
setup_wine_stop
exit $status

#!/usr/bin/env bash
# Installs the prerequisites, builds, and runs SETUP.EXE on the sample distribution under Wine: the
# 64-bit build, then the 32-bit build (under Wine's WoW64 mode, from the Debian 13 root).
#
#   tools/run-sample.sh              with a display: each SETUP.EXE opens on it in turn and you
#                                    click through; without one: the black-box driver installs the
#                                    sample through the wizard, then uninstalls it through its
#                                    Add/Remove entry, printing what each step left behind, with
#                                    screenshots.
#   tools/run-sample.sh --driven     the driven runs even when a display is present.
#   tools/run-sample.sh ... x64      only one build (x64 or i686).
set -uo pipefail
cd "$(dirname "$0")/.."
driven=
builds=()
for arg in "$@"; do
    case "$arg" in
        --driven) driven=1 ;;
        x64 | i686) builds+=("$arg") ;;
        *) echo "usage: tools/run-sample.sh [--driven] [x64|i686]" >&2; exit 2 ;;
    esac
done
[ ${#builds[@]} -gt 0 ] || builds=(x64 i686)
tools/setup-deps.sh || exit 1
tools/build.sh || exit 1

status=0
for name in "${builds[@]}"; do
    build=build/$name
    (
        source tools/wine-env.sh "$build" 2>/dev/null
        trap setup_wine_stop EXIT
        if [ -n "${DISPLAY:-}" ] && [ -z "$driven" ] && [ -z "${CI:-}" ]; then
            export SETUP_USE_CALLER_DISPLAY=1
            setup_wine_ready
            echo "Starting $build/SETUP.EXE from $build/sample-dist on $DISPLAY ..."
            "$SETUP_WINE" "$build/sample-dist/SETUP.EXE"
            exit $?
        fi
        setup_wine_ready
        export SETUP_E2E_EXE="$PWD/$build/SETUP.EXE"
        export SETUP_E2E_EXAMPLES="$PWD/examples"
        export SETUP_E2E_SCREENSHOTS="$PWD/$build/screenshots"
        export SETUP_E2E_SAMPLE_DIST="$PWD/$build/sample-dist"
        echo "Installing and uninstalling the sample distribution with $build/SETUP.EXE through the wizard (screenshots: $build/screenshots) ..."
        "$SETUP_WINE" "$build/tests/e2e/test_e2e_sample.exe" --gtest_color=no --gtest_brief=1
    ) || status=$?
done
exit $status

#!/usr/bin/env bash
# Runs the black-box test areas N times in a row while both CPUs are kept busy by a load of our
# own, and prints each run's result and the number of failing test cases. A test that passes only
# on an idle machine fails here.
#
# Usage: tools/stress-tests.sh [N] [--all] [extra ctest arguments]
#   N       runs (default 5)
#   --all   every test area, not only the black-box ones
# Not part of CI: one run under load takes several minutes.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=5
filter=(-R '^e2e_')
extra=()
for arg in "$@"; do
    case "$arg" in
        --all) filter=() ;;
        [0-9]*) runs=$arg ;;
        *) extra+=("$arg") ;;
    esac
done

tools/setup-deps.sh || exit 1
tools/build.sh || exit 1
source tools/wine-env.sh build/x64 2>/dev/null
logs=build/x64/stress
mkdir -p "$logs"

load=()
stop_load() {
    [ ${#load[@]} -gt 0 ] && kill "${load[@]}" 2>/dev/null
    wait "${load[@]}" 2>/dev/null
    load=()
}
trap 'stop_load; setup_wine_stop' EXIT
for _ in $(seq 1 "$(nproc)"); do
    yes >/dev/null &
    load+=($!)
done
echo "load: ${#load[@]} busy processes (one per CPU)"

total_failed=0
failed_runs=0
for run in $(seq 1 "$runs"); do
    # Every run starts from a fresh server and display, as a new test command would.
    setup_wine_stop
    log="$logs/run-$run.log"
    start=$(date +%s)
    ctest --preset x64 -V "${filter[@]}" "${extra[@]}" >"$log" 2>&1
    status=$?
    seconds=$(( $(date +%s) - start ))
    # GoogleTest's summary lists each failed case once, with its duration.
    failed=$(grep -cE '^[0-9]+: \[  FAILED  \] .* \([0-9]+ ms\)$' "$log")
    areas=$(grep -E '^[0-9]+/[0-9]+ Test +#' "$log" | grep -vc ' Passed ')
    total_failed=$((total_failed + failed))
    result=passed
    if [ "$status" -ne 0 ]; then result=FAILED; failed_runs=$((failed_runs + 1)); fi
    printf 'run %d/%d: %s in %d s, %d failing test cases, %d failing areas (log %s)\n' \
        "$run" "$runs" "$result" "$seconds" "$failed" "$areas" "$log"
    if [ "$failed" -gt 0 ]; then
        grep -E '^[0-9]+: \[  FAILED  \] .* \([0-9]+ ms\)$' "$log" | sed 's/^/    /'
    fi
done
echo "total: $total_failed failing test cases, $failed_runs failed runs of $runs"
[ "$total_failed" -eq 0 ] && [ "$failed_runs" -eq 0 ]

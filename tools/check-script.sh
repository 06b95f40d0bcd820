#!/usr/bin/env bash
# Checks an install script on Linux: runs SETUPCHK.EXE under Wine and prints its report as UTF-8.
#
#   tools/check-script.sh [/EN] [/PLAN] [/D=<install folder>] PATH
#
# PATH is a distribution folder or its SETUP.INI. The exit code is SETUPCHK's: 0 no problems,
# 1 warnings only, 2 errors. SETUPCHK.EXE is built first when it is missing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/x64

options=()
path=
for argument in "$@"; do
    case "${argument^^}" in
        /EN | /PLAN | /D=* | /? | /HELP) options+=("$argument") ;;
        *) path=$argument ;;
    esac
done

if [ ! -f "$build/SETUPCHK.EXE" ]; then
    "$root/tools/setup-deps.sh" || exit 2
    (cd "$root" && cmake --preset x64 >/dev/null && cmake --build --preset x64 --target setupchk >/dev/null) || exit 2
fi

source "$root/tools/wine-env.sh" "$build" 2>/dev/null
# Leave the display and the Wine server running only when they were running before.
ours=1
if [ -f "$build/xvfb.pid" ] && kill -0 "$(cat "$build/xvfb.pid")" 2>/dev/null; then ours=; fi
setup_wine_ready

# A relative path works as it is (the current folder is on drive Z:); an absolute one is named on
# drive Z:. Either comes back at the start of the report's lines the way it was given.
if [ -n "$path" ]; then
    [[ "$path" = /* ]] && path="Z:$path"
    options+=("${path//\//\\}")
fi
# The report goes through a file: a process that Wine starts on the way may keep a pipe open.
report=$(mktemp)
"$SETUP_WINE" "$build/SETUPCHK.EXE" "${options[@]}" </dev/null >"$report" 2>&1
status=$?
# Back to Linux paths in the file names that begin the report's lines.
tr -d '\r' <"$report" | sed -E '/^ /!{ s#^Z:\\#\\#; :a; s#^([^(:]*)\\#\1/#; ta; }'
rm -f "$report"
[ -n "$ours" ] && setup_wine_stop
exit $status

#!/usr/bin/env bash
# Head to head with NSIS 3: the same files installed and uninstalled, unattended, by an NSIS
# installer and by our SETUP.EXE (folder distribution, and single file when the builder exists),
# timed as whole processes under the WoW64 Wine of the 32-bit tree; and the payload each adds to its
# program. A benchmark run by hand, never a test:
#
#   tools/build.sh && bench/peer_bench.sh [--tree BUILD_DIR] [--setup SETUP.EXE]
#                                          [--setupmak SETUPMAK] [--runs N]
#
#   --tree      the 32-bit build tree whose bench/peer_bench.exe and Wine prefix are used (build/i686)
#   --setup     the SETUP.EXE to distribute (the tree's own)
#   --setupmak  the native single-file builder (build/linux/setupmak)
#   --runs      runs per installer kind (5); the kinds take turns within each round
#
# Sets, made under build/bench/peer/ (nothing outside the build tree):
#   R  2,000 files of 4 KB of random bytes (Python's random.Random seeded with 20261208), which no
#      compressor can shrink: the cost of the file operations and of storing data.
#   C  the project's C++ sources (*.cpp, *.h under src/ and tests/) of commit 7ad87d67, copied flat
#      as src_script_text.cpp and so on: 239 text files, 1.5 MB, for what compression gains. Taken
#      with git archive, so the set stays the same as the project changes (the working tree's files
#      when that commit is not in the repository; the script says so).
# For each set:
#   nsis.exe     makensis with its default compressor (zlib, not solid), every file by its own File
#                command into $INSTDIR, an Add/Remove entry and an uninstaller that deletes the
#                files one by one, then the folder; nsis-empty.exe is the same script without files.
#   dist/        our folder distribution: SETUP.EXE, a SETUP.INI in code page 932 naming every file
#                in [CopyFile], the files.
#   single.exe   our single file, `setupmak dist /OUT=single.exe`, when the builder exists.
# bench/peer_bench.exe (bench/peer_bench.cpp) then installs each kind with /S /D=<fresh folder>,
# uninstalls it (NSIS: uninst.exe /S _?=<folder>; ours: the QuietUninstallString of its Add/Remove
# entry), checks every run and prints median, min and max per kind. Payload: NSIS is nsis.exe minus
# nsis-empty.exe (file data, File and Delete commands); ours is single.exe minus SETUP.EXE (file
# data, index, SETUP.INI). Everything ends in one Markdown table.
# Installs go to Program Files (x86) of the tree's prefix; the benchmark removes each install
# folder and Add/Remove entry, this script what the runs leave besides (run logs, and the
# uninstaller copy and OVSET98.INI when the prefix had none). A whole run takes about a minute.
# makensis comes from Debian's nsis package, installed here when missing (as root or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tree=build/i686
setup=
setupmak=build/linux/setupmak
runs=5
while [ $# -gt 0 ]; do
    case $1 in
        --tree) tree=$2; shift 2 ;;
        --setup) setup=$2; shift 2 ;;
        --setupmak) setupmak=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "usage: bench/peer_bench.sh [--tree BUILD_DIR] [--setup SETUP.EXE] [--setupmak SETUPMAK] [--runs N]" >&2
           exit 2 ;;
    esac
done
setup=${setup:-$tree/SETUP.EXE}
data=build/bench/peer
commit=7ad87d675224bed8aaef2b87c15eb705b5c16479
seed=20261208
started=$SECONDS

bench_exe=$tree/bench/peer_bench.exe
for f in "$bench_exe" "$setup"; do
    [ -f "$f" ] || { echo "peer_bench: $f is missing (tools/build.sh builds it)" >&2; exit 1; }
done
if ! command -v makensis >/dev/null; then
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends nsis
fi

# --- the sets -------------------------------------------------------------------------------

make_random_set() {  # folder
    python3 - "$1" "$seed" <<'PY'
import os, random, sys
rng = random.Random(int(sys.argv[2]))
for n in range(1, 2001):
    with open(os.path.join(sys.argv[1], f"F{n}.DAT"), "wb") as f:
        f.write(rng.randbytes(4096))
PY
}

make_source_set() {  # folder
    local tmp=$data/sources
    rm -rf "$tmp"; mkdir -p "$tmp"
    if git cat-file -e "$commit^{commit}" 2>/dev/null; then
        git archive "$commit" src tests | tar -x -C "$tmp"
    else
        echo "note: commit ${commit:0:8} is not in this repository; set C is the working tree's sources"
        cp -r src tests "$tmp"
    fi
    (cd "$tmp" && find src tests -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort) |
        while read -r path; do cp "$tmp/$path" "$1/${path//\//_}"; done
    rm -rf "$tmp"
}

# The file names of a set in a fixed order: F1 … F2000 by number, the sources by name.
set_files() {  # folder
    (cd "$1" && ls | LC_ALL=C sort -V)
}

# NSIS script; with "empty", the same script without a single file.
write_nsis_script() {  # set folder, name, empty|full
    local dir=$1 name=$2 kind=$3 key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PeerBench_$2_NSIS"
    local f out=nsis
    [ "$kind" = full ] || out=nsis-empty
    {
        echo "Name \"PeerBench $name\""
        echo "OutFile \"$out.exe\""
        echo "InstallDir \"\$PROGRAMFILES\\PeerBench\\$name\""
        echo "RequestExecutionLevel admin"
        echo "SetCompressor zlib"
        echo "Section"
        echo "  SetOutPath \"\$INSTDIR\""
        if [ "$kind" = full ]; then
            set_files "$dir/files" | while read -r f; do echo "  File \"files\\$f\""; done
        fi
        echo "  WriteUninstaller \"\$INSTDIR\\uninst.exe\""
        echo "  WriteRegStr HKLM \"$key\" \"DisplayName\" \"PeerBench $name\""
        echo "  WriteRegStr HKLM \"$key\" \"UninstallString\" '\"\$INSTDIR\\uninst.exe\"'"
        echo "  WriteRegStr HKLM \"$key\" \"QuietUninstallString\" '\"\$INSTDIR\\uninst.exe\" /S'"
        echo "  WriteRegStr HKLM \"$key\" \"InstallLocation\" \"\$INSTDIR\""
        echo "SectionEnd"
        echo "Section \"Uninstall\""
        if [ "$kind" = full ]; then
            set_files "$dir/files" | while read -r f; do echo "  Delete \"\$INSTDIR\\$f\""; done
        fi
        echo "  Delete \"\$INSTDIR\\uninst.exe\""
        echo "  RMDir \"\$INSTDIR\""
        echo "  DeleteRegKey HKLM \"$key\""
        echo "SectionEnd"
    } >"$dir/$out.nsi"
}

write_setup_ini() {  # set folder, name
    local dir=$1 name=$2 n=0 f
    {
        printf '[Title]\r\nSetup=ピアベンチ %s セットアップ\r\nProgram=PeerBench %s\r\n' "$name" "$name"
        printf 'UnSetupKey=PeerBench_%s\r\nUnSetupDisplay=PeerBench %s\r\n' "$name" "$name"
        # The least pause the script accepts (0 counts as 1); an unattended run never pauses anyway.
        printf '[Extend]\r\nSetupSpeed=1\r\n'
        printf '[DefaultFolder]\r\nFolder=(Prg)\\PeerBench\\%s\\\r\n' "$name"
        printf '[ProgramID]\r\nID=PEERBENCH%s\r\n' "$name"
        printf '[CopyFile]\r\n'
        set_files "$dir/files" | while read -r f; do
            n=$((n + 1)); printf 'File%d=(App)%s\r\n' "$n" "$f"
        done
    } | iconv -f UTF-8 -t CP932 >"$dir/dist/SETUP.INI"
}

make_set() {  # name, maker
    local name=$1 dir=$data/$1
    mkdir -p "$dir/files" "$dir/dist"
    "$2" "$dir/files"
    # One time stamp for every file: NSIS records it, and its payload stays the same from run to run.
    touch -d '2026-01-01 00:00:00 UTC' "$dir"/files/*
    write_nsis_script "$dir" "$name" full
    write_nsis_script "$dir" "$name" empty
    (cd "$dir" && makensis -V1 nsis.nsi && makensis -V1 nsis-empty.nsi) || { echo "peer_bench: makensis failed" >&2; exit 1; }
    cp "$setup" "$dir/dist/SETUP.EXE"
    cp -p "$dir"/files/* "$dir/dist/"
    write_setup_ini "$dir" "$name"
    if [ -x "$setupmak" ]; then
        "$setupmak" "$dir/dist" "/OUT=$dir/single.exe" >"$dir/setupmak.log" 2>&1 ||
            { cat "$dir/setupmak.log" >&2; echo "peer_bench: setupmak failed" >&2; exit 1; }
    fi
}

echo "Making the sets in $data ..."
rm -rf "$data"
mkdir -p "$data"
make_set R make_random_set
make_set C make_source_set
[ -x "$setupmak" ] || echo "note: no $setupmak yet: the single-file kind is left out"
made=$SECONDS

# --- the runs -------------------------------------------------------------------------------

# What the runs leave besides their install folders and entries: the default run logs in the
# temporary folder; the uninstaller copy and the (then empty) program-identifier file in the Windows
# folder, removed when the prefix had none before.
prefix=$tree/wineprefix
windows_dir=$prefix/drive_c/windows
new_in_windows=()
for f in UNOVNOVA.EXE OVSET98.INI; do [ -e "$windows_dir/$f" ] || new_in_windows+=("$windows_dir/$f"); done

echo "Running $runs rounds under $tree's Wine ..."
log=$data/peer_bench.log
status=0
tools/wine-run.sh "$bench_exe" "/RUNS=$runs" "$root/$data/R" "$root/$data/C" | tr -d '\r' | tee "$log" || status=$?

rm -f "$prefix"/drive_c/users/*/AppData/Local/Temp/PeerBench_*-setup.log
rm -f "${new_in_windows[@]}"

# --- the table ------------------------------------------------------------------------------

size_of() { stat -c %s "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else printf "–" }'; }
echo
echo "| set | kind | install s (median, min–max) | uninstall s (median, min–max) | install ours/NSIS | uninstall ours/NSIS | payload bytes | payload ours/NSIS |"
echo "|---|---|---|---|---|---|---|---|"
for name in R C; do
    dir=$data/$name
    count=$(ls "$dir/files" | wc -l)
    bytes=$(cat "$dir"/files/* | wc -c)
    nsis_payload=$(( $(size_of "$dir/nsis.exe") - $(size_of "$dir/nsis-empty.exe") ))
    nsis_in=$(awk -v s="$name" '$1 == "RESULT" && $2 == s && $3 == "nsis" { print $6 }' "$log")
    nsis_un=$(awk -v s="$name" '$1 == "RESULT" && $2 == s && $3 == "nsis" { print $9 }' "$log")
    for kind in nsis ours-folder ours-single; do
        line=$(awk -v s="$name" -v k="$kind" '$1 == "RESULT" && $2 == s && $3 == k' "$log")
        [ -n "$line" ] || continue
        read -r _ _ _ ok failed in_med in_min in_max un_med un_min un_max <<<"$line"
        case $kind in
            nsis) payload=$nsis_payload; pratio="–"; rin="–"; run="–" ;;
            ours-folder) payload="($(( bytes + $(size_of "$dir/dist/SETUP.INI") )) unpacked)"; pratio="–" ;;
            ours-single) payload=$(( $(size_of "$dir/single.exe") - $(size_of "$dir/dist/SETUP.EXE") ))
                         pratio=$(ratio "$payload" "$nsis_payload") ;;
        esac
        if [ "$kind" != nsis ]; then rin=$(ratio "$in_med" "$nsis_in"); run=$(ratio "$un_med" "$nsis_un"); fi
        note=; [ "$failed" = 0 ] || note=" ($failed of $((ok + failed)) runs failed)"
        in_text="$in_med ($in_min–$in_max)"; un_text="$un_med ($un_min–$un_max)"
        if [ "$ok" = 0 ]; then in_text=failed; un_text=failed; rin="–"; run="–"; fi
        echo "| $name ($count files, $bytes bytes) | $kind$note | $in_text | $un_text | $rin | $run | $payload | $pratio |"
    done
done
echo
echo "Sets made in $((made - started)) s, runs and table in $((SECONDS - made)) s; log: $log"
exit "$status"

#!/usr/bin/env bash
# Single files stream: the memory that packing, listing, extracting and installing a single-file
# distribution take stays the same whether its files hold 16 MiB or 1 GiB. A benchmark run by
# hand, never a test:
#
#   bench/payload_bench.sh [--setupmak SETUPMAK] [--linux-tree DIR] [--setup SETUP.EXE]
#                          [--tree DIR] [--keep]
#
#   --setupmak    the native builder to use (default: built, target setupmak, in --linux-tree)
#   --linux-tree  the native tree the builder is built in (build/bench-linux)
#   --setup       the 64-bit plain SETUP.EXE to pack (default: built, target setup, in --tree)
#   --tree        the 64-bit Windows tree: SETUP.EXE is built there, and its own Wine prefix runs
#                 the installs (build/bench-x64)
#   --keep        keep the folders, single files and logs under build/bench/payload/
#
# Sets, made under build/bench/payload/ (nothing outside the build tree), each a folder
# distribution of SETUP.EXE, a SETUP.INI in code page 932 and eight files:
#   small  8 files of 2 MiB   (16 MiB)
#   big    8 files of 128 MiB (1 GiB)
# DATA1.BIN … DATA7.BIN are AES-CTR key streams (openssl enc of /dev/zero: fast, incompressible,
# packed as stored entries); TEXT8.TXT is the base64 text of such a stream, which deflates to 3/4,
# more than the 1 MiB the writer keeps in memory: it takes the writer's two-pass deflate and the
# reader's inflate. The script copies each file into (App) and registers an Add/Remove entry
# (UnSetupKey PayloadBench), as examples/sample does.
#
# For each set, each step timed by /usr/bin/time -f '%e %M' (wall seconds, peak RSS in KiB):
#   setupmak DIST /OUT=single.exe        runs every check of the script (any finding stops the
#                                        benchmark), then packs
#   setupmak /LIST single.exe            a whole CRC pass, then the index
#   setupmak /X=FOLDER single.exe        the same pass, then extracts; FOLDER must equal DIST
#   single.exe /S "/D=C:\PayloadBench"   under Wine: checks its payload, extracts the script and
#                                        the plain program into its work folder (%TEMP%\OVTMPn),
#                                        and installs, the copy writing each file (named once in
#                                        the script) straight from the payload into its place;
#                                        each installed file must equal DIST's
#   QuietUninstallString                 of the Add/Remove entry, under Wine; the install folder
#                                        and the entry must be gone after it
#
# Peak memory of a Windows program: /usr/bin/time's child runs tools/wine-run.sh (bash), which
# execs Wine's loader, which execs its preloader and becomes the Windows process: one pid from
# start to end. %M is the largest RSS of that pid and of the helpers it waits for (flock and a
# "wineserver -p" that finds the server running: a warm-up run starts the server and display
# beforehand, so neither is started, nor counted, in a timed run). What Wine starts besides
# (explorer.exe of the virtual desktop) is detached and not counted: it is Wine's, the same for
# any program. So that the number is seen to be the Windows program's and not a launcher's, the
# script reads /proc/<pid>/comm and /proc/<pid>/status every 0.05 s while the run lasts, and
# results.md shows the process name (Wine names it after the program: "single.exe") and its
# VmHWM, the kernel's peak RSS of that process, beside %M: they agree, short of what grows after
# the last reading. The reading taken when the extracted SETUPB.EXE appears in the work folder
# (written after every entry) gives the time and peak of the check-and-extract phase. Wine
# itself takes a fixed share (its DLLs and heaps; `cmd /c exit` is measured the same way for
# scale): what matters is the difference between the two sets.
#
# At the end the install folder, the Add/Remove entry, the run's files in the temporary folder
# and, when the prefix had none before, the uninstaller copy and OVSET98.INI are gone: the prefix
# is left as it was. The sets are removed unless --keep (a failed run leaves them for a look; the
# next run removes them), leaving build/bench/payload/results.md with the table. A run takes one
# to two minutes (most of it packing 1 GiB) and up to 3 GB of disk.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

linux_tree=build/bench-linux
tree=build/bench-x64
setupmak=
setup=
keep=
while [ $# -gt 0 ]; do
    case $1 in
        --setupmak) setupmak=$2; shift 2 ;;
        --linux-tree) linux_tree=$2; shift 2 ;;
        --setup) setup=$2; shift 2 ;;
        --tree) tree=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        *) echo "usage: bench/payload_bench.sh [--setupmak SETUPMAK] [--linux-tree DIR] [--setup SETUP.EXE] [--tree DIR] [--keep]" >&2
           exit 2 ;;
    esac
done
data=build/bench/payload
install_dir='C:\PayloadBench'
key=PayloadBench
started=$SECONDS

# --- the programs ---------------------------------------------------------------------------

# Only the targets needed: the machine's cores are shared.
if [ -z "$setupmak" ]; then
    [ -f "$linux_tree/CMakeCache.txt" ] ||
        cmake -S "$root" -B "$linux_tree" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$linux_tree" --target setupmak >/dev/null
    setupmak=$linux_tree/setupmak
fi
if [ -z "$setup" ]; then
    [ -f "$tree/CMakeCache.txt" ] ||
        cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
              -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$tree" --target setup >/dev/null
    setup=$tree/SETUP.EXE
fi
for f in "$setupmak" "$setup"; do
    [ -f "$f" ] || { echo "payload_bench: $f is missing" >&2; exit 1; }
done
setupmak=$(realpath "$setupmak")
setup=$(realpath "$setup")
mkdir -p "$tree"
tree=$(realpath "$tree")

# --- the sets -------------------------------------------------------------------------------

# An endless AES-CTR key stream: the seed makes each file different and each run the same. The
# reader (head) ends it early: that broken pipe is no failure.
key_stream() {  # seed
    openssl enc -aes-128-ctr -K "$(printf '%032x' "$1")" -iv 0 -nosalt </dev/zero 2>/dev/null || true
}

write_setup_ini() {  # dist folder
    local n
    {
        printf '; ペイロードベンチ: 単一ファイルの展開とインストールのメモリを測ります\r\n'
        printf '[Title]\r\nSetup=ペイロードベンチ セットアップ\r\nUnSetup=ペイロードベンチ アンインストール\r\n'
        printf 'Program=ペイロードベンチ 1.0\r\nUnSetupKey=%s\r\nUnSetupDisplay=ペイロードベンチ 1.0\r\n' "$key"
        # The least pause the script accepts; an unattended run never pauses anyway.
        printf '[Extend]\r\nSetupSpeed=1\r\n'
        printf '[DefaultFolder]\r\nFolder=(Prg)\\PayloadBench\\\r\n'
        printf '[ProgramID]\r\nID=PAYLOADBENCH\r\n'
        printf '[MakeFolder]\r\nFolder1=(App)\r\n'
        printf '[CopyFile]\r\n'
        for n in 1 2 3 4 5 6 7; do printf 'File%d=(App)DATA%d.BIN\r\n' "$n" "$n"; done
        printf 'File8=(App)TEXT8.TXT\r\n'
    } | iconv -f UTF-8 -t CP932 >"$1/SETUP.INI"
}

make_set() {  # name, MiB per file
    local dist=$data/$1/dist n
    mkdir -p "$dist"
    for n in 1 2 3 4 5 6 7; do
        key_stream "$n" | head -c "$(( $2 << 20 ))" >"$dist/DATA$n.BIN"
    done
    (key_stream 8 | base64 -w 76 || true) | head -c "$(( $2 << 20 ))" >"$dist/TEXT8.TXT"
    cp "$setup" "$dist/SETUP.EXE"
    write_setup_ini "$dist"
    # One time stamp: the same folder packs into the same bytes from run to run.
    touch -d '2026-01-01 00:00:00 UTC' "$dist"/*
}

# --- timing ---------------------------------------------------------------------------------

# Rows "set<TAB>step<TAB>seconds<TAB>peak KiB"; "set<TAB>file bytes<TAB>payload bytes"; one line
# "set|step|process name|VmHWM|%M" per Wine run; remarks.
rows=$data/rows.txt
sizes=$data/sizes.txt
checks=$data/checks.txt
notes=$data/notes.txt

row() { printf '%s\t%s\t%s\t%s\n' "$@" >>"$rows"; }

# A native step: wall time and peak RSS; its output goes to the set's log. Any exit code but 0
# stops the benchmark (for the build: a warning too, since our script has to be clean).
native_step() {  # set, step, command...
    local set=$1 step=$2 secs kib; shift 2
    local tf=$data/$set/time.txt log=$data/$set/log.txt
    /usr/bin/time -f '%e %M' -o "$tf" "$@" >>"$log" 2>&1 ||
        { cat "$log" >&2; echo "payload_bench: $step failed" >&2; exit 1; }
    read -r secs kib <"$tf"
    row "$set" "$step" "$secs" "$kib"
}

# A Windows program under the tree's Wine, timed the same way, its /proc read alongside (see the
# header). With watch=yes the moment SETUPB.EXE appears in a work folder ends the extract phase.
wine_step() {  # set, step, watch (yes|no), program, arguments...
    local set=$1 step=$2 watch=$3; shift 3
    local tf=$data/$set/time.txt log=$data/$set/log.txt
    local begin pid= name= hwm=0 seen extract_s= extract_kib= status=0 secs kib
    begin=$(date +%s.%N)
    SETUP_BUILD_DIR=$tree /usr/bin/time -f '%e %M' -o "$tf" tools/wine-run.sh "$@" </dev/null >>"$log" 2>&1 &
    local timer=$!
    while kill -0 "$timer" 2>/dev/null; do
        [ -n "$pid" ] || pid=$(pgrep -P "$timer" | head -n 1 || true)
        if [ -n "$pid" ] && seen=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [ -n "$seen" ]; then
            hwm=$seen
            name=$(cat "/proc/$pid/comm" 2>/dev/null || echo "$name")
            if [ "$watch" = yes ] && [ -z "$extract_s" ] && compgen -G "$temp_dir/OVTMP*/SETUPB.EXE" >/dev/null; then
                extract_s=$(awk -v a="$begin" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
                extract_kib=$hwm
            fi
        fi
        sleep 0.05
    done
    wait "$timer" || status=$?
    [ "$status" = 0 ] || { cat "$log" >&2; echo "payload_bench: $step ended with $status" >&2; exit 1; }
    read -r secs kib <"$tf"
    [ -z "$extract_s" ] || row "$set" "$step: check and extract" "$extract_s" "$extract_kib"
    row "$set" "$step: whole run" "$secs" "$kib"
    echo "$set|$step|$name|$hwm|$kib" >>"$checks"
}

# --- the prefix -----------------------------------------------------------------------------

# The warm-up makes the prefix (once) and starts the server and display the timed runs then use.
prefix=$tree/wineprefix
SETUP_BUILD_DIR=$tree tools/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1
temp_dir=$(ls -d "$prefix"/drive_c/users/*/Temp | grep -v /Public/ | head -n 1)
windows_dir=$prefix/drive_c/windows
installed=$prefix/drive_c/PayloadBench
[ ! -e "$installed" ] || { echo "payload_bench: $installed exists already; remove it first" >&2; exit 1; }
new_in_windows=()
for f in UNOVNOVA64.EXE OVSET98.INI; do [ -e "$windows_dir/$f" ] || new_in_windows+=("$windows_dir/$f"); done
# Anything in the temporary folder at the end that was not there now is the runs' (logs, work folders).
temp_before=$(ls -A "$temp_dir")
uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key"

# Wine's console programs write code page 932.
wine_quiet() { SETUP_BUILD_DIR=$tree tools/wine-run.sh "$@" </dev/null 2>/dev/null | tr -d '\r' | iconv -f CP932 -t UTF-8; }

# The entry's command: PROGRAM /S "LOG".
quiet_uninstall_string() {
    wine_quiet reg query "$uninstall_key" /v QuietUninstallString | sed -n 's/^ *QuietUninstallString *REG_SZ *//p'
}

# Leaves the prefix as it was, also after a failure.
clean_prefix() {
    local f
    rm -rf "$installed"
    wine_quiet reg delete "$uninstall_key" /f >/dev/null || true
    ls -A "$temp_dir" | while read -r f; do
        grep -qxF -- "$f" <<<"$temp_before" || rm -rf "${temp_dir:?}/$f"
    done
    rm -f "${new_in_windows[@]}"
}
finish() {
    local status=$?
    clean_prefix
    [ "$status" = 0 ] || echo "payload_bench: failed; the sets and logs are in $data" >&2
}
trap finish EXIT

# --- the runs -------------------------------------------------------------------------------

run_set() {  # name, MiB per file
    local set=$1 dir=$data/$1 single f command program log work
    echo "Set $set: 8 files of $2 MiB ..."
    make_set "$set" "$2"
    single=$dir/single.exe
    native_step "$set" "setupmak DIST /OUT=single.exe" "$setupmak" "$dir/dist" "/OUT=$single"
    printf '%s\t%s\t%s\n' "$set" "$(cat "$dir"/dist/*.BIN "$dir"/dist/*.TXT | wc -c)" \
        "$(( $(stat -c %s "$single") - $(stat -c %s "$dir/dist/SETUP.EXE") ))" >>"$sizes"
    native_step "$set" "setupmak /LIST single.exe" "$setupmak" /LIST "$single"
    native_step "$set" "setupmak /X=FOLDER single.exe" "$setupmak" "/X=$dir/extracted" "$single"
    diff -r "$dir/dist" "$dir/extracted" >/dev/null || { echo "payload_bench: /X differs from the folder" >&2; exit 1; }
    rm -rf "$dir/extracted"

    wine_step "$set" "single.exe /S \"/D=$install_dir\"" yes "$single" /S "/D=$install_dir"
    for f in "$dir"/dist/DATA*.BIN "$dir/dist/TEXT8.TXT"; do
        cmp -s "$f" "$installed/${f##*/}" || { echo "payload_bench: ${f##*/} is not installed right" >&2; exit 1; }
    done
    # The run removes its work folder itself; one left behind is worth a remark.
    work=$(cd "$temp_dir" && ls -d OVTMP* 2>/dev/null || true)
    [ -z "$work" ] || echo "- $set: work folders left after the install: $work" | tee -a "$notes"

    command=$(quiet_uninstall_string)
    [ -n "$command" ] || { echo "payload_bench: no QuietUninstallString under $uninstall_key" >&2; exit 1; }
    program=${command%% /S *}
    log=${command#* /S }
    log=${log//\"/}
    wine_step "$set" "QuietUninstallString" no "$program" /S "$log"
    [ ! -e "$installed" ] || { echo "payload_bench: $installed remains after the uninstall" >&2; exit 1; }
    if wine_quiet reg query "$uninstall_key" >/dev/null; then
        echo "payload_bench: the Add/Remove entry remains after the uninstall" >&2; exit 1
    fi
    [ -n "$keep" ] || rm -rf "$dir/dist" "$single"
}

rm -rf "$data"
mkdir -p "$data/small" "$data/big" "$data/wine"
: >"$rows"; : >"$sizes"; : >"$checks"; : >"$notes"
run_set small 2
run_set big 128
# For scale: what Wine alone takes, the same way.
wine_step wine "cmd /c exit" no cmd /c exit

# --- the table ------------------------------------------------------------------------------

size_label() {  # set: its files and the payload packed from them
    awk -F'\t' -v s="$1" '$1 == s { printf "%d MiB of files, payload %.1f MiB", $2 / 1048576, $3 / 1048576 }' "$sizes"
}

# Steps in the order they ran, the small set's row above the big one's; in brackets, how far the
# big set's peak lies from the small one's.
table() {
    echo "| step | payload size | wall time | peak memory |"
    echo "|---|---|---|---|"
    awk -F'\t' -v small="$(size_label small)" -v big="$(size_label big)" '
        function mib(k) { return sprintf("%.1f MiB", k / 1024) }
        $1 != "wine" && !($2 in seen) { seen[$2] = 1; order[++n] = $2 }
        { secs[$1, $2] = $3; kib[$1, $2] = $4 }
        END {
            for (i = 1; i <= n; ++i) {
                s = order[i]
                printf "| %s | %s | %s s | %s |\n", s, small, secs["small", s], mib(kib["small", s])
                printf "| %s | %s | %s s | %s (%+.1f MiB) |\n", s, big, secs["big", s], mib(kib["big", s]),
                       (kib["big", s] - kib["small", s]) / 1024
            }
        }' "$rows"
}

{
    echo "# Single-file payload: wall time and peak memory"
    echo
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo '?')," \
         "$(nproc) cores; SETUP.EXE $setup ($(stat -c %s "$setup") bytes), setupmak $setupmak, Wine tree $tree."
    echo
    table
    echo
    echo "Peak memory is the process's maximum RSS (/usr/bin/time %M); in brackets the 1 GiB run's"
    echo "difference from the 16 MiB run. DATA1-7.BIN are random (stored), TEXT8.TXT base64 text (deflated)."
    echo "Under the same Wine \`cmd /c exit\` peaks at $(awk -F'\t' '$1 == "wine" && $2 ~ /whole run/ { printf "%.1f MiB", $4 / 1024 }' "$rows")."
    echo
    echo "The Wine runs' own process (/proc/<pid>, read every 0.05 s while it ran):"
    awk -F'|' '$1 != "wine" { printf "- %s, %s: process \"%s\", VmHWM %d KiB; /usr/bin/time %d KiB\n", $1, $2, $3, $4, $5 }' "$checks"
    cat "$notes"
} >"$data/results.md"
cat "$data/results.md"
rm -f "$rows" "$sizes" "$checks" "$notes"
[ -n "$keep" ] || rm -rf "$data/small" "$data/big" "$data/wine"
echo
echo "Whole run: $((SECONDS - started)) s; table in $data/results.md"

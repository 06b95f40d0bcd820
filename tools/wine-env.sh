# Sourced by the Wine helper scripts: the private prefix, display and server of one build tree.
# Usage: source wine-env.sh BUILD_DIR
# Sets WINEPREFIX, LC_ALL, WINEDEBUG, WINEDLLOVERRIDES, DISPLAY and defines setup_wine_ready.
# With SETUP_WINE_DPI set to a display scale other than 96 (120, 144), everything is that scale's
# own: a prefix "wineprefix-<dpi>dpi" with that system DPI (HKCU\Control
# Panel\Desktop LogPixels, read by each Wine process when it starts), its own server and display.
# So the tests at 96 dpi never see the setting, and the two kinds can run side by side.
# With SETUP_WINE_CODEPAGE=1252 likewise: a prefix "wineprefix-cp1252" of an English system (Wine
# takes ANSI code page 1252 from LC_ALL=C.UTF-8). With SETUP_WINE_VARIANT=jose as well: its user's
# temporary folder and desktop are named outside code page 932 (C:\users\José\Temp,
# C:\users\José\Desktop), in a prefix "wineprefix-cp1252-jose".

SETUP_BUILD_DIR=$(cd "$1" && pwd)
SETUP_WINE_DPI=${SETUP_WINE_DPI:-96}
SETUP_WINE_CODEPAGE=${SETUP_WINE_CODEPAGE:-932}
SETUP_WINE_VARIANT=${SETUP_WINE_VARIANT:-}
SETUP_WINE_SUFFIX=
[ "$SETUP_WINE_DPI" = 96 ] || SETUP_WINE_SUFFIX="-${SETUP_WINE_DPI}dpi"
[ "$SETUP_WINE_CODEPAGE" = 932 ] || SETUP_WINE_SUFFIX="$SETUP_WINE_SUFFIX-cp$SETUP_WINE_CODEPAGE"
[ -z "$SETUP_WINE_VARIANT" ] || SETUP_WINE_SUFFIX="$SETUP_WINE_SUFFIX-$SETUP_WINE_VARIANT"
export WINEPREFIX="$SETUP_BUILD_DIR/wineprefix$SETUP_WINE_SUFFIX"
if [ "$SETUP_WINE_CODEPAGE" = 1252 ]; then
    export LC_ALL=C.UTF-8
    export LANG=C.UTF-8
else
    export LC_ALL=ja_JP.UTF-8
    export LANG=ja_JP.UTF-8
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
SETUP_TOOLS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if grep -qx 'SETUP_WINE_WOW64:BOOL=ON' "$SETUP_BUILD_DIR/CMakeCache.txt" 2>/dev/null; then
    # A 32-bit build tree: Wine 10 of the Debian 13 root runs its programs in WoW64 mode.
    SETUP_WINE=$SETUP_TOOLS_DIR/wow64-wine.sh
    SETUP_WINESERVER=$SETUP_TOOLS_DIR/wow64-wineserver.sh
else
    SETUP_WINE=/usr/lib/wine/wine64
    [ -x "$SETUP_WINE" ] || SETUP_WINE=$(command -v wine64 || command -v wine)
    SETUP_WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$SETUP_WINESERVER" ] || SETUP_WINESERVER=$(command -v wineserver)
fi
# Raise when setup_prefix_registry changes, so existing prefixes take the new settings.
SETUP_PREFIX_SETTINGS=2

# A display of our own unless the caller brought one: screenshots need a real X server.
setup_display() {
    if [ -n "${SETUP_USE_CALLER_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return; fi
    local file="$SETUP_BUILD_DIR/xvfb$SETUP_WINE_SUFFIX.display" pidfile="$SETUP_BUILD_DIR/xvfb$SETUP_WINE_SUFFIX.pid" num
    if [ -f "$file" ]; then
        num=$(cat "$file")
        if [ -e "/tmp/.X11-unix/X$num" ] && kill -0 "$(cat "$pidfile" 2>/dev/null)" 2>/dev/null; then
            export DISPLAY=":$num"; return
        fi
    fi
    num=$(( 90 + $(cksum <<<"$SETUP_BUILD_DIR$SETUP_WINE_SUFFIX" | cut -d' ' -f1) % 400 ))
    while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do num=$((num + 1)); done
    setsid Xvfb ":$num" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$num" ] && break; sleep 0.05; done
    echo "$num" >"$file"
    export DISPLAY=":$num"
}

# Registry settings of the prefix: virtual desktop (no 2 s waits without a window manager),
# Japanese fonts for the Windows font names, Windows version; the display scale of a scaled prefix;
# the user folders of the "jose" prefix.
setup_prefix_registry() {
    local reg="$SETUP_BUILD_DIR/prefix-settings$SETUP_WINE_SUFFIX.reg"
    iconv -f UTF-8 -t UTF-16LE >"$reg.body" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐ明朝"="IPAPMincho"
"ＭＳ 明朝"="IPAMincho"
"MS UI Gothic"="IPAPGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"Times New Roman"="IPAPMincho"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
REG
    if [ "$SETUP_WINE_DPI" != 96 ]; then
        printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$SETUP_WINE_DPI" |
            iconv -f UTF-8 -t UTF-16LE >>"$reg.body"
    fi
    if [ "$SETUP_WINE_VARIANT" = jose ]; then
        # Honoured by processes that a server started after this write (setup_prefix waits for it).
        mkdir -p "$WINEPREFIX/drive_c/users/José/Temp" "$WINEPREFIX/drive_c/users/José/Desktop"
        iconv -f UTF-8 -t UTF-16LE >>"$reg.body" <<'REG'

[HKEY_CURRENT_USER\Environment]
"TEMP"="C:\\users\\José\\Temp"
"TMP"="C:\\users\\José\\Temp"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders]
"Desktop"="C:\\users\\José\\Desktop"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Desktop"="C:\\users\\José\\Desktop"
REG
    fi
    { printf '\xff\xfe'; cat "$reg.body"; } >"$reg"
    rm -f "$reg.body"
    "$SETUP_WINE" regedit /S "$(winepath_of "$reg")" </dev/null >/dev/null 2>&1
}

winepath_of() { echo "Z:${1//\//\\}"; }

# The prefix is made once per build tree and reused; a lock keeps parallel tests from racing.
setup_prefix() {
    exec 9>"$SETUP_BUILD_DIR/wineprefix$SETUP_WINE_SUFFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.setup-ready" ]; then
        "$SETUP_WINESERVER" -k </dev/null >/dev/null 2>&1
        rm -rf "$WINEPREFIX"
        # Every prefix, the scaled ones too, is made new: a copy of the main one could catch the
        # half-done state of a test running in it.
        "$SETUP_WINE" wineboot -i </dev/null >/dev/null 2>&1
        "$SETUP_WINESERVER" -w
        # wineboot links the user folders into the Linux home; keep everything inside the prefix.
        local d
        for d in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
        done
        setup_prefix_registry
        # Let the first server save everything and exit before the persistent one starts.
        "$SETUP_WINESERVER" -w
        echo "$SETUP_PREFIX_SETTINGS" >"$WINEPREFIX/.setup-ready"
    fi
    # Settings of the prefix are applied again whenever they change (their version is below).
    if [ "$(cat "$WINEPREFIX/.setup-ready")" != "$SETUP_PREFIX_SETTINGS" ]; then
        # A running server keeps the new settings and saves them itself; do not wait for it.
        setup_prefix_registry
        echo "$SETUP_PREFIX_SETTINGS" >"$WINEPREFIX/.setup-ready"
    fi
    # Drives Q:, T: and S: below are the prefix's own (named with its suffix): scenarios of two
    # prefixes of one tree run at the same time and must not fill or use each other's drives.
    local q="$SETUP_BUILD_DIR/drive-q$SETUP_WINE_SUFFIX" t="$SETUP_BUILD_DIR/drive-t$SETUP_WINE_SUFFIX"
    local s="$SETUP_BUILD_DIR/drive-s$SETUP_WINE_SUFFIX"
    # Drive Q: is an empty folder of the build tree, for tests of an empty drive root.
    mkdir -p "$q"
    ln -sfn "$q" "$WINEPREFIX/dosdevices/q:"
    # Drive T: is a small drive of its own (a 2 MB tmpfs inside the build tree; mounting needs
    # root, as CI has), for tests of a drive that fills up during an install.
    mkdir -p "$t"
    if ! mountpoint -q "$t"; then
        mount -t tmpfs -o size=2m,mode=0755 orvant-drive-t "$t" 2>/dev/null || true
    fi
    ln -sfn "$t" "$WINEPREFIX/dosdevices/t:"
    # Drive S: is a small drive that nothing writes (a 1 MB tmpfs made read-only after one file
    # was put on it: the program shows the free space only of a drive that holds something), for
    # tests that compare the free space the program shows with the drive's own while other work
    # goes on.
    mkdir -p "$s"
    if ! mountpoint -q "$s" && mount -t tmpfs -o size=1m,mode=0755 orvant-drive-s "$s" 2>/dev/null; then
        echo "A drive that nothing writes." >"$s/README.TXT"
        mount -o remount,ro "$s" 2>/dev/null || true
    fi
    ln -sfn "$s" "$WINEPREFIX/dosdevices/s:"
    flock -u 9
}

# One warm server for all test programs. Its first client starts services that inherit the
# client's output, so start it detached from any pipe the caller is reading.
setup_server() {
    exec 8>"$SETUP_BUILD_DIR/wineserver$SETUP_WINE_SUFFIX.lock"
    flock 8
    # Exit code 0: a new server was started (an already running one answers 2).
    if "$SETUP_WINESERVER" -p </dev/null >/dev/null 2>&1; then
        "$SETUP_WINE" cmd /c exit </dev/null >/dev/null 2>&1
    fi
    flock -u 8
}

# Parallel test programs of one build tree must agree on one display and one server: the whole
# preparation runs under one lock.
setup_wine_ready() {
    exec 7>"$SETUP_BUILD_DIR/wine-ready$SETUP_WINE_SUFFIX.lock"
    flock 7
    setup_display
    setup_prefix
    setup_server
    flock -u 7
}

# Stops the servers and displays of the build tree, those of the scaled and other prefixes too.
setup_wine_stop() {
    local prefix pidfile
    for prefix in "$SETUP_BUILD_DIR"/wineprefix "$SETUP_BUILD_DIR"/wineprefix-*; do
        [ -d "$prefix" ] || continue
        WINEPREFIX="$prefix" "$SETUP_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        WINEPREFIX="$prefix" "$SETUP_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    done
    for pidfile in "$SETUP_BUILD_DIR"/xvfb*.pid; do
        [ -f "$pidfile" ] || continue
        kill "$(cat "$pidfile")" 2>/dev/null || true
        rm -f "$pidfile" "${pidfile%.pid}.display"
    done
    for drive in "$SETUP_BUILD_DIR"/drive-t* "$SETUP_BUILD_DIR"/drive-s*; do
        if mountpoint -q "$drive" 2>/dev/null; then umount "$drive" 2>/dev/null || true; fi
    done
}

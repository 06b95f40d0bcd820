#!/usr/bin/env bash
# Runs a command inside the Debian 13 root of the build tree (build/wow64, made by setup-deps.sh),
# whose Wine 10 runs 32-bit Windows programs in WoW64 mode: this kernel cannot run 32-bit Linux
# programs, so the 32-bit Wine of the machine itself cannot.
#
#   wow64-run.sh COMMAND [ARGS...]     e.g. wow64-run.sh wine SETUP.EXE
#
# The command gets a mount namespace of its own in which /proc, /sys, /dev (with pts and shm), the
# X server sockets and the source tree (holding the build tree, with the drives mounted in it) are bound into the root at their
# own paths: the current folder and every path a test is handed stay valid inside. The binds go
# with the last process of the namespace (a Wine server started there included), so there is
# nothing to unmount afterwards and the host never sees them: deleting the build tree cannot reach
# through them into /dev or the sources.
set -eu
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
sources=$(dirname "$tools")
root=$sources/build/wow64/root

if [ ! -x "$root/usr/bin/env" ]; then
    echo "wow64-run: no Debian 13 root at $root (tools/setup-deps.sh makes it)" >&2
    exit 127
fi
if [ "$(id -u)" -ne 0 ]; then
    # Namespaces, binds and chroot need root; the command itself runs as the caller.
    exec sudo --preserve-env SETUP_WOW64_USER="$(id -u):$(id -g)" "$0" "$@"
fi
if [ "${SETUP_WOW64_NAMESPACE:-}" != "$$" ]; then
    # unshare executes the command in this same process: a caller's kill or time-out reaches it.
    SETUP_WOW64_NAMESPACE=$$ exec unshare --mount --propagation private "$0" "$@"
fi
unset SETUP_WOW64_NAMESPACE

for dir in proc sys dev dev/pts dev/shm; do
    mount --bind "/$dir" "$root/$dir"
done
mkdir -p "$root$sources"
mount --rbind "$sources" "$root$sources"
if [ -d /tmp/.X11-unix ]; then
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
fi
# Outside the source tree the current folder does not exist in the root.
case "$PWD" in "$sources" | "$sources"/*) dir=$PWD ;; *) dir=/ ;; esac
exec chroot ${SETUP_WOW64_USER:+--userspec="$SETUP_WOW64_USER"} "$root" /usr/bin/env --chdir="$dir" "$@"

#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and makes the Debian 13 root in which the
# 32-bit programs run (build/wow64). Quick when everything is there already.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 googletest
          wine wine64 xvfb xauth fonts-ipafont-gothic fonts-ipafont-mincho
          mscompress imagemagick xdotool locales debootstrap)
packages+=(osslsigncode openssl softhsm2 libengine-pkcs11-openssl)  # signing (tools/sign.sh), its tests
packages+=(zlib1g-dev libz-mingw-w64-dev)  # zlib for payloads: native, and static for Windows
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Wine takes code page 932 from the Japanese locale; generating it silences a warning.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 || true
fi

# The 32-bit programs run under Wine 10 in WoW64 mode (64-bit Wine running 32-bit Windows code):
# this kernel cannot execute 32-bit Linux programs, so Debian 12's wine32 cannot work. Debian 13's
# Wine runs from a root of its own inside the build tree, with the 32-bit Windows DLLs of
# libwine:i386 copied beside its 64-bit ones (installing libwine:i386 or wine32 would pull in
# 32-bit Linux libraries that cannot run here). Raise the number when the root's contents change.
wow64_settings=1
wow64=build/wow64
if [ "$(cat "$wow64/ready" 2>/dev/null)" != "$wow64_settings" ]; then
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt-get indextargets --no-release-info --format '$(REPO_URI)' "Release: $codename" \
             'Identifier: Packages' | head -n 1)
    if [ -z "$mirror" ]; then
        echo "setup-deps: no Debian mirror for $codename in the apt sources" >&2
        exit 1
    fi
    echo "Making the Debian 13 root for the 32-bit programs in $wow64 (from $mirror) ..."
    $SUDO rm -rf "$wow64"
    mkdir -p "$wow64"
    $SUDO debootstrap --variant=minbase trixie "$wow64/root" "$mirror" >"$wow64/debootstrap.log" 2>&1 ||
        { tail -n 20 "$wow64/debootstrap.log" >&2; exit 1; }
    $SUDO cp /etc/resolv.conf "$wow64/root/etc/resolv.conf"
    in_root() { $SUDO tools/wow64-run.sh env DEBIAN_FRONTEND=noninteractive "$@"; }
    in_root dpkg --add-architecture i386
    in_root apt-get update -qq
    in_root apt-get install -y -qq --no-install-recommends wine wine64 libwine \
        fonts-ipafont-gothic fonts-ipafont-mincho locales >"$wow64/apt.log" 2>&1 ||
        { tail -n 20 "$wow64/apt.log" >&2; exit 1; }
    in_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 || true
    in_root sh -ec 'dir=$(mktemp -d); cd "$dir"; apt-get download -qq libwine:i386 2>/dev/null
        dpkg-deb -x libwine_*_i386.deb unpacked
        cp -a unpacked/usr/lib/i386-linux-gnu/wine/i386-windows/. /usr/lib/x86_64-linux-gnu/wine/i386-windows/
        cd /; rm -rf "$dir"; apt-get clean'
    echo "$wow64_settings" >"$wow64/ready"
fi

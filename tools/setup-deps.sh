#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Quick when everything is there already.
set -euo pipefail
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 googletest
          wine wine64 xvfb xauth fonts-ipafont-gothic fonts-ipafont-mincho
          mscompress imagemagick xdotool locales)
packages+=(osslsigncode openssl softhsm2 libengine-pkcs11-openssl)  # signing (tools/sign.sh), its tests
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

#!/usr/bin/env bash
# Signs the programs we ship, SETUP.EXE, SETUPCHK.EXE and SETUPMAK.EXE, with Authenticode
# (SHA-256, osslsigncode), and single-file distributions made by setupmak.
#
#   tools/sign.sh [--out DIR] [BUILD_DIR...]
#   tools/sign.sh --file APP-SETUP.EXE...
#
# --file: signs each file in place (the signature covers every byte of it, its payload included,
# so that a changed byte anywhere fails verification, as the payload's own check does).
#
# BUILD_DIR: the build trees whose programs are signed (default: build/x64 and build/i686, those
# that are built). The signed copies go to BUILD_DIR/signed/ (with --out: DIR/<tree's name>/). The
# build outputs themselves stay unsigned: a signature differs on every run, so only the unsigned
# files can be compared between two builds, and signing can always start again from them.
#
# The key, from the environment:
#   SETUP_SIGN_PKCS12          a PKCS#12 file with the key and its certificate chain, or
#   SETUP_SIGN_PKCS11_MODULE   the PKCS#11 module of a token that holds the key,
#   SETUP_SIGN_PKCS11_KEY      the key on the token (a pkcs11: URI) and
#   SETUP_SIGN_CERT            the certificate chain: a PEM file, or a pkcs11: URI on the token;
#   SETUP_SIGN_PASSWORD        the PKCS#12 file's password or the token's PIN;
#   SETUP_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server (optional).
# Without a key nothing is signed, earlier signed copies are removed, and one line says so.
# The signature carries the product name and the URL of SETUP.EXE's version record.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The password reaches osslsigncode through a pipe: never on a command line, never inherited.
password=${SETUP_SIGN_PASSWORD-}
unset SETUP_SIGN_PASSWORD

out=
trees=()
files=()
while [ $# -gt 0 ]; do
    case $1 in
        --out) out=$2; shift 2 ;;
        --file) files+=("$2"); shift 2 ;;
        *) trees+=("$1"); shift ;;
    esac
done
if [ ${#trees[@]} -eq 0 ] && [ ${#files[@]} -eq 0 ]; then
    for tree in "$root/build/x64" "$root/build/i686"; do
        if [ -f "$tree/SETUP.EXE" ]; then trees+=("$tree"); fi
    done
fi
signed_folder() { if [ -n "$out" ]; then echo "$out/$(basename "$1")"; else echo "$1/signed"; fi; }

key=()
if [ -n "${SETUP_SIGN_PKCS12:-}" ]; then
    key=(-pkcs12 "$SETUP_SIGN_PKCS12")
elif [ -n "${SETUP_SIGN_PKCS11_MODULE:-}" ]; then
    cert=${SETUP_SIGN_CERT:?SETUP_SIGN_CERT must name the certificate chain of the PKCS#11 key}
    case $cert in
        pkcs11:*) key=(-pkcs11cert "$cert") ;;
        *) key=(-certs "$cert") ;;
    esac
    key=(-pkcs11module "$SETUP_SIGN_PKCS11_MODULE" "${key[@]}"
         -key "${SETUP_SIGN_PKCS11_KEY:?SETUP_SIGN_PKCS11_KEY must name the key on the token}")
fi

# Signed copies of an earlier build must not pass for this one, whatever happens below.
for tree in "${trees[@]}"; do
    rm -f "$(signed_folder "$tree")"/SETUP.EXE* "$(signed_folder "$tree")"/SETUPCHK.EXE* \
        "$(signed_folder "$tree")"/SETUPMAK.EXE*
done
if [ ${#key[@]} -eq 0 ]; then
    echo "not signed: no key given (SETUP_SIGN_PKCS12, or SETUP_SIGN_PKCS11_MODULE and SETUP_SIGN_PKCS11_KEY)"
    exit 0
fi
if [ ${#trees[@]} -eq 0 ] && [ ${#files[@]} -eq 0 ]; then
    echo "sign: no program built (tools/build.sh builds them)" >&2
    exit 1
fi
[ -z "$password" ] || key+=(-readpass -)

timestamp=()
if [ -n "${SETUP_SIGN_TIMESTAMP_URL:-}" ]; then
    timestamp=(-ts "$SETUP_SIGN_TIMESTAMP_URL")
else
    echo "note: no time stamp (SETUP_SIGN_TIMESTAMP_URL): the signatures end with the certificate"
fi

# The product name and URL of a program's version record (a single file has SETUP.EXE's).
describe() {
    local record
    record=$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null) || true
    name=$(sed -n 's/^ *VALUE "ProductName", "\(.*\)"$/\1/p' <<<"$record")
    url=$(sed -n 's/^ *VALUE "URL", "\(.*\)"$/\1/p' <<<"$record")
    if [ -z "$name" ] || [ -z "$url" ]; then
        echo "sign: $1 has no ProductName or URL in its version record" >&2
        exit 1
    fi
}

# Signs a file into another (written under another name first, so that a half-signed program
# never appears).
sign_into() {
    if ! printf '%s' "$password" | osslsigncode sign "${key[@]}" -h sha256 -n "$name" -i "$url" \
            "${timestamp[@]}" -in "$1" -out "$2.part" >/dev/null; then
        rm -f "$2.part"
        echo "sign: $1 could not be signed" >&2
        exit 1
    fi
    mv "$2.part" "$2"
    echo "signed: $2"
}

for tree in "${trees[@]}"; do
    describe "$tree/SETUP.EXE"
    folder=$(signed_folder "$tree")
    mkdir -p "$folder"
    for program in SETUP.EXE SETUPCHK.EXE SETUPMAK.EXE; do
        [ -f "$tree/$program" ] && sign_into "$tree/$program" "$folder/$program"
    done
done
for file in "${files[@]}"; do
    describe "$file"
    sign_into "$file" "$file"
done

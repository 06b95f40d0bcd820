#!/usr/bin/env bash
# Signs the programs we ship, SETUP.EXE and SETUPCHK.EXE, with Authenticode (SHA-256, osslsigncode).
#
#   tools/sign.sh [--out DIR] [BUILD_DIR...]
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
while [ $# -gt 0 ]; do
    case $1 in
        --out) out=$2; shift 2 ;;
        *) trees+=("$1"); shift ;;
    esac
done
if [ ${#trees[@]} -eq 0 ]; then
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
    rm -f "$(signed_folder "$tree")"/SETUP.EXE* "$(signed_folder "$tree")"/SETUPCHK.EXE*
done
if [ ${#key[@]} -eq 0 ]; then
    echo "not signed: no key given (SETUP_SIGN_PKCS12, or SETUP_SIGN_PKCS11_MODULE and SETUP_SIGN_PKCS11_KEY)"
    exit 0
fi
if [ ${#trees[@]} -eq 0 ]; then
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

for tree in "${trees[@]}"; do
    record=$(x86_64-w64-mingw32-windres -i "$tree/SETUP.EXE" -O rc)
    name=$(sed -n 's/^ *VALUE "ProductName", "\(.*\)"$/\1/p' <<<"$record")
    url=$(sed -n 's/^ *VALUE "URL", "\(.*\)"$/\1/p' <<<"$record")
    if [ -z "$name" ] || [ -z "$url" ]; then
        echo "sign: $tree/SETUP.EXE has no ProductName or URL in its version record" >&2
        exit 1
    fi
    folder=$(signed_folder "$tree")
    mkdir -p "$folder"
    for program in SETUP.EXE SETUPCHK.EXE; do
        # Written under another name first, so that a half-signed program never appears.
        if ! printf '%s' "$password" | osslsigncode sign "${key[@]}" -h sha256 -n "$name" -i "$url" \
                "${timestamp[@]}" -in "$tree/$program" -out "$folder/$program.part" >/dev/null; then
            rm -f "$folder/$program.part"
            echo "sign: $tree/$program could not be signed" >&2
            exit 1
        fi
        mv "$folder/$program.part" "$folder/$program"
        echo "signed: $folder/$program"
    done
done

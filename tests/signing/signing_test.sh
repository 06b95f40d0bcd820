#!/usr/bin/env bash
# Signed releases, checked with a throw-away test CA made here, inside the build tree.
#
#   signing_test.sh sign BUILD_DIR RELEASE32_DIR
#       signs the programs of both trees with tools/sign.sh and checks each signature; leaves the
#       sample distribution with the signed SETUP.EXE in BUILD_DIR/signing-test/sample-dist
#   signing_test.sh uninstaller BUILD_DIR
#       checks the uninstaller copy that the signed round trip kept (BUILD_DIR/signing-test/UNOVNOVA.EXE)
#   signing_test.sh single BUILD_DIR SETUPMAK
#       builds the sample into a single file with the signed SETUP.EXE, signs it as a whole, checks
#       that a changed byte of its payload fails both the signature and the payload's own check,
#       installs and uninstalls it unattended under Wine and checks the uninstaller copy it left
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(cd "$2" && pwd)/signing-test
failures=0
# Only the test keys: never a distributor's key or time-stamp server from the caller's environment.
unset SETUP_SIGN_PKCS12 SETUP_SIGN_PKCS11_MODULE SETUP_SIGN_PKCS11_KEY SETUP_SIGN_CERT SETUP_SIGN_PASSWORD \
    SETUP_SIGN_TIMESTAMP_URL

check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
verifies() { osslsigncode verify -CAfile "$work/ca.pem" -in "$1" >"$1.verify" 2>&1; }
mentions() { grep -qxF "$2" "$1.verify"; }

# Whether a copy of the program with one byte inverted half-way through fails verification.
rejects_tampered() {
    local copy=$work/tampered.exe offset byte
    cp "$1" "$copy"
    offset=$(($(stat -c %s "$copy") / 2))
    byte=$(od -An -tu1 -j "$offset" -N1 "$copy" | tr -d ' ')
    printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$copy" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    ! verifies "$copy"
}

make_certificates() {
    # A CA, and a code-signing certificate that it issued, in a PKCS#12 file with a password.
    openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out ca.key
    openssl req -x509 -key ca.key -out ca.pem -days 2 -subj "/CN=Orvant Test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
    openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out signer.key
    openssl req -new -key signer.key -out signer.csr -subj "/CN=Orvant Test Publisher"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext \
        -out signer.pem 2>/dev/null
    openssl rand -hex 16 >password
    openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 -passout file:password
}

# The same key on a PKCS#11 token (SoftHSM here), where certificate authorities put keys nowadays.
make_token() {
    mkdir tokens
    printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\n' "$PWD" >softhsm2.conf
    openssl pkcs8 -topk8 -nocrypt -in signer.key -out signer.p8
    softhsm2-util --init-token --free --label signing-test --pin "$(cat password)" --so-pin "$(cat password)" >/dev/null
    softhsm2-util --import signer.p8 --token signing-test --label signer --id 01 --pin "$(cat password)" >/dev/null
}

case $1 in
sign)
    rm -rf "$work"
    mkdir -p "$work"
    # Key material is readable by this user alone and lives only in this build tree.
    (umask 077 && cd "$work" && make_certificates)
    [ -f "$3/SETUP.EXE" ] || { echo "FAILED: no 32-bit release in $3 (tools/build.sh builds it)"; exit 1; }

    check "tools/sign.sh with the test key" env SETUP_SIGN_PKCS12="$work/signer.p12" \
        SETUP_SIGN_PASSWORD="$(cat "$work/password")" "$root/tools/sign.sh" --out "$work/signed" "$2" "$3"
    for program in "$work/signed/$(basename "$2")"/*.EXE "$work/signed/$(basename "$3")"/*.EXE; do
        check "$program verifies against the test CA" verifies "$program"
        check "its signature names the product" mentions "$program" $'\tText description: Orvant Setup Nova'
        check "its signature names the URL" mentions "$program" $'\tURL description: https://www.orvant.example/setup-nova/'
        check "a copy with one byte changed does not verify" rejects_tampered "$program"
    done
    export SOFTHSM2_CONF=$work/softhsm2.conf
    (umask 077 && cd "$work" && make_token)
    check "tools/sign.sh with the key on a PKCS#11 token" env SETUP_SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so SETUP_SIGN_CERT="$work/signer.pem" \
        SETUP_SIGN_PKCS11_KEY="pkcs11:token=signing-test;object=signer;type=private" \
        SETUP_SIGN_PASSWORD="$(cat "$work/password")" "$root/tools/sign.sh" --out "$work/token" "$2"
    for program in "$work/token/$(basename "$2")"/*.EXE; do
        check "$program verifies against the test CA" verifies "$program"
    done
    check "three signed programs of each tree, three by the token" test "$(ls "$work"/{signed,token}/*/*.EXE | wc -l)" = 9
    check "without a key: one line says nothing is signed" test "$("$root/tools/sign.sh" --out "$work/unsigned" "$2")" = \
        "not signed: no key given (SETUP_SIGN_PKCS12, or SETUP_SIGN_PKCS11_MODULE and SETUP_SIGN_PKCS11_KEY)"

    # The signed round trip installs from the sample distribution with the signed program in it.
    cp -r "$2/sample-dist" "$work/sample-dist"
    cp "$work/signed/$(basename "$2")/SETUP.EXE" "$work/sample-dist/SETUP.EXE"
    ;;
single)
    setupmak=$3
    single=$work/SAMPLE-SETUP.EXE
    signed=$work/signed/$(basename "$2")/SETUP.EXE
    rm -rf "$work/single-dist" "$single"
    cp -r "$2/sample-dist" "$work/single-dist"
    cp "$signed" "$work/single-dist/SETUP.EXE"
    check "setupmak packs the sample with the signed SETUP.EXE" "$setupmak" "$work/single-dist" "/OUT=$single"
    check "tools/sign.sh --file signs the single file" env SETUP_SIGN_PKCS12="$work/signer.p12" \
        SETUP_SIGN_PASSWORD="$(cat "$work/password")" "$root/tools/sign.sh" --file "$single"
    check "the single file verifies against the test CA" verifies "$single"
    check "setupmak finds its payload whole" "$setupmak" /LIST "$single"
    # One byte of the payload changed: the signature and the payload's own check both refuse it.
    cp "$single" "$work/changed.exe"
    offset=$(($(stat -c %s "$signed") + 100))
    byte=$(od -An -tu1 -j "$offset" -N1 "$work/changed.exe" | tr -d ' ')
    printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$work/changed.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    check "a payload byte changed: the signature fails" bash -c "! osslsigncode verify -CAfile '$work/ca.pem' -in '$work/changed.exe' >/dev/null 2>&1"
    check "a payload byte changed: the payload check fails" bash -c "! '$setupmak' /LIST '$work/changed.exe' >/dev/null"
    # Installed and removed unattended; the uninstaller copy it leaves is the signed plain program.
    source "$root/tools/wine-env.sh" "$2"
    setup_wine_ready
    [ "$(x86_64-w64-mingw32-objdump -f "$signed" | grep -c x86-64)" -gt 0 ] && uninstaller=UNOVNOVA64.EXE || uninstaller=UNOVNOVA.EXE
    folder='C:\Program Files\Orvant Signed Single'
    "$SETUP_WINE" "$single" /S "/D=$folder" </dev/null >/dev/null 2>&1
    check "the signed single file installs the sample" test -f "$WINEPREFIX/drive_c/Program Files/Orvant Signed Single/SAMPLE.EXE"
    cp "$WINEPREFIX/drive_c/windows/$uninstaller" "$work/single-uninstaller.exe"
    check "its uninstaller copy is the signed SETUP.EXE, byte for byte" cmp "$work/single-uninstaller.exe" "$signed"
    check "its uninstaller copy verifies against the test CA" verifies "$work/single-uninstaller.exe"
    "$SETUP_WINE" "C:\\windows\\$uninstaller" /S "$folder\\UNSETUP.INI" </dev/null >/dev/null 2>&1
    check "the quiet uninstall leaves only the shared library" test "$(ls "$WINEPREFIX/drive_c/Program Files/Orvant Signed Single")" = SAMPLE.DLL
    rm -rf "$WINEPREFIX/drive_c/Program Files/Orvant Signed Single"
    "$SETUP_WINE" reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' /v "$folder\\SAMPLE.DLL" /f \
        </dev/null >/dev/null 2>&1 || true
    ;;
uninstaller)
    copy=$work/UNOVNOVA.EXE
    check "the round trip kept the uninstaller copy" test -f "$copy"
    check "it is the signed SETUP.EXE, byte for byte" cmp "$copy" "$work/sample-dist/SETUP.EXE"
    check "it verifies against the test CA" verifies "$copy"
    ;;
esac
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# The sample discs made with --sign and a certificate made here by openssl: osslsigncode and
# mkdisc --verify accept the signatures, and the signed setup.exe still starts under Wine and shows
# its wizard.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/e2e.sh"
e2e_begin signed
sample=$top/build/sample
[ -d "$sample/game" ] || bash "$top/scripts/make-discs.sh" >"$work/signed-discs.log" 2>&1
mkdisc=$top/build/native/bin/mkdisc
keys=$work/signed-keys
out=$work/signed-discs
rm -rf "$keys" "$out"
mkdir -p "$keys"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj '/CN=Brightvale Test Publisher' \
    -keyout "$keys/key.pem" -out "$keys/cert.pem" >"$work/signed-openssl.log" 2>&1
expect_eq "openssl makes a test certificate" "$?" 0
"$mkdisc" --game "$sample/game" --media "$sample/media" --description "$sample/brightvale.disc" \
    --programs "$bin" --out "$out" --sign "$keys/cert.pem" "$keys/key.pem" >"$work/signed-make.log" 2>&1
expect_eq "mkdisc --sign makes the discs" "$?" 0
quiet() { "$@" >/dev/null 2>&1; }
for f in disc1/setup.exe disc1/unrar.dll disc1/uninstall.exe disc2/uninstall.exe; do
    expect_true "osslsigncode accepts the signature of $f" \
        quiet osslsigncode verify -CAfile "$keys/cert.pem" -in "$out/$f"
done
"$mkdisc" --verify "$out" --ca-file "$keys/cert.pem" >"$work/signed-verify.log" 2>&1
expect_eq "mkdisc --verify accepts the set" "$?" 0
expect_true "and counts its signed programs" grep -q 'signed program(s), all hold' "$work/signed-verify.log"

echo "the signed setup.exe under Wine"
wine_prefix "$work/template" "$work/signed-prefix"
wine_drive d "$out/disc1" cdrom
"$BV_WINE" 'D:\setup.exe' >"$work/signed-setup.log" 2>&1 &
wait_window
expect_true "the wizard's welcome page is shown" wait_page welcome back_install.tga
summary e2e-signed

#!/usr/bin/env bash
# The win tier: GoogleTest programs built with the win64 preset, run under Wine.
# Prints one "N passed, N failed" line; the exit code is non-zero when a test failed.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/wine.sh"
work=${BV_WORK:-$top/build/wine}
bin=$top/build/win64/bin
mkdir -p "$work"
wine_template "$work/template"
bv_display || exit 1
trap 'wine_stop; bv_display_stop' EXIT
wine_prefix "$work/template" "$work/win-tier"

drives=$work/win-drives
rm -rf "$drives"
mkdir -p "$drives/cd" "$drives/hd"
touch "$drives/cd/bothmark" "$drives/hd/bothmark" "$drives/hd/hdmark"
wine_drive d "$drives/cd" cdrom
wine_drive e "$drives/hd" hd

out=$work/win-tier.log
# A hang must not hold up the whole run: the tests take well under a minute.
timeout 600 "$BV_WINE" "$bin/win_tests.exe" >"$out" 2>&1
rc=$?
wine_stop
grep -E '^\[ +(FAILED|PASSED) +\]|Failure|^\[ +RUN' "$out" | grep -v '^\[ RUN' || true
passed=$(grep -c '^\[       OK \]' "$out")
failed=$(grep -c '^\[  FAILED  \] .*(' "$out")
[ "$rc" -ne 0 ] && [ "$failed" -eq 0 ] && { cat "$out"; failed=1; }
echo "win: $passed passed, $failed failed"
[ "$rc" -eq 0 ]

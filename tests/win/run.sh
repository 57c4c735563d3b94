#!/usr/bin/env bash
# The win tier: GoogleTest programs built with the win64 preset, run under Wine.
# Prints one "win: N passed, N failed" line (a skipped test counts as failed); the exit code is non-zero
# when a test failed.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/wine.sh"
work=${BV_WORK:-$top/build/wine}
bin=$top/build/win64/bin
BV_BOUND_LOG=$(mktemp "${TMPDIR:-/tmp}/bv-bounds.XXXXXX")
drives=$work/win-drives
mkdir -p "$work"
wine_template "$work/template"
bv_display || exit 1
trap 'wine_stop; bv_display_stop; mountpoint -q "$drives/fixed" && umount "$drives/fixed"; rm -f "$BV_BOUND_LOG"' EXIT
wine_prefix "$work/template" "$work/win-tier"

mountpoint -q "$drives/fixed" && umount "$drives/fixed"
rm -rf "$drives"
mkdir -p "$drives/cd" "$drives/hd" "$drives/fixed"
touch "$drives/cd/bothmark" "$drives/hd/bothmark" "$drives/hd/hdmark"
wine_drive d "$drives/cd" cdrom
wine_drive e "$drives/hd" hd
# F: a small memory drive nothing else writes to, so that its free space stays put between two reads;
# F:\elsewhere leads to another file system. Without it the free-space test fails, as it should.
mount -t tmpfs -o size=16m tmpfs "$drives/fixed" && ln -s "$drives/cd" "$drives/fixed/elsewhere" &&
    wine_drive f "$drives/fixed" hd

out=$work/win-tier.log
# A hang must not hold up the whole run: the tests take well under a minute.
bounded 600 "win_tests.exe" "$BV_WINE" "$bin/win_tests.exe" >"$out" 2>&1
rc=$?
wine_stop
grep -E '^\[ +(FAILED|PASSED|SKIPPED) +\]|Failure|^\[ +RUN' "$out" | grep -v '^\[ RUN' || true
passed=$(grep -c '^\[       OK \]' "$out")
failed=$(grep -c '^\[  FAILED  \] .*(' "$out")
# A test that skipped itself did not show what it is there for.
skipped=$(grep -c '^\[  SKIPPED \] .*(' "$out")
failed=$((failed + skipped))
# A bound reached (here or while the prefix was made) is a failure of its own.
failed=$((failed + $(wc -l <"$BV_BOUND_LOG")))
[ "$rc" -ne 0 ] && [ "$failed" -eq 0 ] && { cat "$out"; failed=1; }
echo "win: $passed passed, $failed failed"
[ "$rc" -eq 0 ] && [ "$failed" -eq 0 ]

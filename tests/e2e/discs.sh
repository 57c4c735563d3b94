#!/usr/bin/env bash
# The sample discs as the main job makes them: two discs with their markers, packages the vendor's
# unrar accepts, and the set-up programs on disc 1.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/check.sh"
log=$top/build/e2e-discs-make.log
bash "$top/scripts/make-discs.sh" >"$log" 2>&1
expect_eq "make-discs succeeds" "$?" 0
discs=$top/build/discs
expect_true "disc 1 holds cd1" test -f "$discs/disc1/cd1"
expect_true "disc 2 holds cd2" test -f "$discs/disc2/cd2"
expect_true "no third disc" test ! -e "$discs/disc3"
expect_true "MainMedia only below the language folders" test ! -e "$discs/disc1/MainMedia"
for f in setup.exe unrar.dll Brightvale.exe Media/strings.txt Media/license.txt Media/back_install.tga \
    Media/MainMedia/logoM.tga Media/MainMedia/back_language.tga settingsLow.pak settingsHigh.pak BrightvaleExtras.exe; do
    expect_true "disc 1 has $f" test -f "$discs/disc1/$f"
done
expect_true "disc 2 has its strings.txt" test -f "$discs/disc2/Media/strings.txt"
bad=0
for a in "$discs"/disc*/*.rar "$discs"/disc*/*.pak; do
    unrar t -idq "$a" >/dev/null 2>&1 || { bad=$((bad + 1)); echo "    unrar t refused $a"; }
done
expect_eq "unrar t accepts every package" "$bad" 0
entries=$(grep -c '^SOURCE[0-9]*' "$discs/disc1/Media/strings.txt")
expect_true "package entries in strings.txt" test "$entries" -ge 3
expect_true "a package on disc 2" grep -q '^SOURCE[0-9]*	cd2:' "$discs/disc1/Media/strings.txt"
summary e2e-discs

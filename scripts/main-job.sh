#!/usr/bin/env bash
# The main job: builds everything, makes the two sample discs in build/discs and runs setup.exe from
# disc 1 (D:) under Wine
# (on the user's display when there is one, else on Xvfb), then tells what happened.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/setup-machine.sh
bash scripts/make-discs.sh

. tests/support/wine.sh
work=$top/build/wine-main
mkdir -p "$work"
wine_template "$work/template"
wine_prefix "$work/template" "$work/prefix"
disc=$top/build/discs/disc1
wine_drive d "$disc" cdrom
bv_display
trap 'wine_stop; bv_display_stop' EXIT

echo "running D:\\setup.exe under Wine (prefix $WINEPREFIX)"
set +e
WINEDEBUG=-all,+process "$BV_WINE" 'D:\setup.exe' >"$work/setup.log" 2>&1
rc=$?
"$BV_WINESERVER" -w
set -e
product='HKCU\SOFTWARE\Orelwick\Brightvale'
echo "first instance exit code: $rc"
# Before any other Wine command: the next start of the prefix counts as a restart, when the copy
# in the temporary folder goes.
echo "temporary folder: $(ls "$(wine_temp_dir)" | tr '\n' ' ')"
echo "ExeCDPath: $(wine_reg_value "$product" ExeCDPath)"
echo "RunOnce:   $(wine_reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce' __OrelwickAdditionalInstallation__)"
echo "relaunched: $(grep -a 'CreateProcessInternalW app (null) cmdline' "$work/setup.log" | grep -a CDPath | sed 's/.*cmdline //' | head -1)"
echo "temporary folder after the restart: $(ls "$(wine_temp_dir)" | tr '\n' ' ')"

#!/usr/bin/env bash
# The main job: builds everything, makes the two sample discs in build/discs and runs setup.exe from
# disc 1 (D:) under Wine (on the user's display when there is one, else on Xvfb), walking a whole
# installation with a screenshot of every page, then tells what happened.
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

shots=$work/shots
rm -rf "$shots"
mkdir -p "$shots"
skins=$top/build/sample/media/Media
disc1=$disc
disc2=$top/build/discs/disc2
. tests/support/walk.sh
own_profile
# say NAME COMMAND...: runs the check and prints what was seen
say() {
    local name=$1
    shift
    if "$@"; then echo "  seen: $name"; else echo "  NOT seen: $name"; fi
}

echo "running D:\\setup.exe under Wine (prefix $WINEPREFIX), walking a whole installation"
walk_log=$work/setup.log
WINEDEBUG=-all,+process,+debugstr "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
walk_install say
say "the maintenance page, after the setup program started anew" wait_page 10-maintenance back_play.tga
product='HKCU\SOFTWARE\Orelwick\Brightvale'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brightvale'
echo "relaunched: $(grep -a 'CreateProcessInternalW app (null) cmdline' "$work/setup.log" | grep -a CDPath | sed 's/.*cmdline //' | head -1)"
echo "InstallDir:      $(wine_reg_value "$product" InstallDir)"
echo "VersionString:   $(wine_reg_value "$product" VersionString)"
echo "DisplayName:     $(wine_reg_value "$entry" DisplayName)"
echo "UninstallString: $(wine_reg_value "$entry" UninstallString)"
game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
echo "game folder:     $(ls "$game" 2>/dev/null | tr '\n' ' ')"
echo "install.log:     $(wc -l <"$game/install.log" 2>/dev/null || echo missing) entries"
echo "screenshots:     $shots ($(ls "$shots" | grep -c png) pages)"
if [ -n "${BV_XVFB_PID:-}" ]; then
    # On Xvfb nobody can use the maintenance page: Exit ends the program.
    click 100 207 2
fi
set +e
timeout 600 "$BV_WINESERVER" -w

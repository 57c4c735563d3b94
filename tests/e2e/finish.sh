#!/usr/bin/env bash
# Finishing and maintenance under Wine: uninstall.exe against a hand-made game folder and log, then
# (with the sample discs) the whole installation, the maintenance page, Play and Uninstall.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/wine.sh"
. "$top/tests/support/check.sh"
work=${BV_WORK:-$top/build/wine}
bin=$top/build/win64/bin
mkdir -p "$work"
wine_template "$work/template"
bv_display || exit 1
trap 'wine_stop; bv_display_stop' EXIT

product='HKCU\SOFTWARE\Orelwick\Brightvale'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brightvale'
runonce='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce'
user=$(id -un)

# box_answer TITLE KEY [SHOT]: waits for a visible window with the title, saves a screenshot, and
# sends the key to it until it is gone; false when no box came or it would not go.
box_answer() {
    local w=
    for _ in $(seq 150); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)
        [ -n "$w" ] && break
        sleep 0.2
    done
    [ -z "$w" ] && return 1
    sleep 0.5
    [ -n "${3:-}" ] && import -window root "$3" 2>/dev/null
    # Wine reuses the window for the next box: the same box is told by its size as well.
    local size
    size=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { print $2 }')
    for _ in $(seq 10); do
        xdotool windowfocus "$w" 2>/dev/null
        sleep 0.2
        xdotool key "$2" 2>/dev/null
        sleep 0.5
        # Gone for good: Wine may unmap a box for a moment when the focus moves.
        local seen=0
        for _ in 1 2 3 4; do
            xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -qx "$w" &&
                [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { print $2 }')" = "$size" ] &&
                seen=1
            sleep 0.3
        done
        [ "$seen" = 0 ] && return 0
    done
    return 1
}

# working_copy: waits until the uninstaller's copy in the temporary folder runs (the user's instance has
# closed its question by then).
working_copy() {
    for _ in $(seq 100); do
        ps -eo args | grep -q '[/]remove C:' && sleep 1 && return 0
        sleep 0.2
    done
    ps -eo args | grep -a -e remove -e uninstall -e '\.tmp' | grep -v grep | sed 's/^/    process: /'
    return 1
}

# wait_all: waits for every process of the prefix, at most 90 s (then they are ended, and it fails).
wait_all() {
    timeout 90 "$BV_WINESERVER" -w && return 0
    "$BV_WINESERVER" -k 2>/dev/null
    return 1
}

# A game folder as an installation leaves it, with a save game the player made.
make_game() {
    local c=$WINEPREFIX/drive_c
    game=$c/Games/Brightvale
    desktop=$c/users/$user/Desktop
    group="$c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orelwick/Brightvale"
    mkdir -p "$game/maps" "$game/saves" "$desktop" "$group"
    printf 'MZ game' >"$game/Brightvale.exe"
    printf 'read me' >"$game/readme.txt"
    printf 'map' >"$game/maps/north.map"
    printf 'my own game' >"$game/saves/slot1.sav"
    printf 'GAME_EXE Brightvale.exe' >"$game/strings.txt"
    printf '\001%.0s' $(seq 16) >"$game/addinstf.bin"
    cp "$bin/uninstall.exe" "$game/uninstall.exe"
    printf 'link' >"$desktop/Play Brightvale.lnk"
    printf 'link' >"$group/Play Brightvale.lnk"
    local g="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Orelwick\\Brightvale"
    printf '%s\r\n' 'C:\Games\Brightvale\' 'Brightvale.exe' 'readme.txt' 'maps' 'maps\north.map' \
        "C:\\users\\$user\\Desktop\\Play Brightvale.lnk" "$g\\" 'C:\Games\Brightvale\uninstall.exe' \
        'strings.txt' "$g\\Play Brightvale.lnk" 'addinstf.bin' 'uninstall.exe' 'Media\strings.txt' 'Media' \
        >"$game/install.log"
    "$BV_WINE" reg add "$product" /v InstallDir /t REG_SZ /d 'C:\Games\Brightvale' /f >/dev/null 2>&1
    "$BV_WINE" reg add "$product" /v VersionString /t REG_SZ /d '1.0.0 EN' /f >/dev/null 2>&1
    "$BV_WINE" reg add "$entry" /v DisplayName /t REG_SZ /d 'Brightvale' /f >/dev/null 2>&1
    "$BV_WINE" reg add "$entry" /v UninstallString /t REG_SZ /d 'C:\Games\Brightvale\uninstall.exe' /f >/dev/null 2>&1
    "$BV_WINE" reg add "$runonce" /v __OrelwickAdditionalInstallation__ /t REG_SZ /d '"D:\setup.exe" -AdditionalInstall' /f >/dev/null 2>&1
}

echo "uninstall.exe on a hand-made installation"
wine_prefix "$work/template" "$work/finish-uninstall"
make_game
"$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' >/dev/null 2>&1 &
expect_true "asks before it starts" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-ask.png"
expect_true "goes on from a copy in the temporary folder" working_copy
expect_true "ends with a message" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-done.png"
expect_true "every process ends" wait_all
for f in Brightvale.exe readme.txt maps/north.map uninstall.exe strings.txt addinstf.bin install.log; do
    expect_true "removes $f" test ! -e "$game/$f"
done
expect_eq "keeps the save game" "$(cat "$game/saves/slot1.sav" 2>/dev/null)" "my own game"
expect_true "removes the desktop shortcut" test ! -e "$desktop/Play Brightvale.lnk"
expect_true "removes the group" test ! -e "$group"
expect_eq "removes InstallDir" "$(wine_reg_value "$product" InstallDir)" ""
expect_eq "removes the uninstall entry" "$(wine_reg_value "$entry" DisplayName)" ""
expect_eq "removes the RunOnce value" "$(wine_reg_value "$runonce" __OrelwickAdditionalInstallation__)" ""

echo "uninstall.exe when only its own files are left"
wine_prefix "$work/template" "$work/finish-uninstall2"
make_game
rm -rf "$game/saves"
"$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' >/dev/null 2>&1 &
box_answer "Brightvale Uninstall" Return
working_copy
box_answer "Brightvale Uninstall" Return
wait_all
expect_true "removes the game folder" test ! -e "$game"
expect_true "keeps the Games folder" test -d "$WINEPREFIX/drive_c/Games"

echo "uninstall.exe refuses a hostile log"
wine_prefix "$work/template" "$work/finish-uninstall3"
make_game
printf '%s\r\n' 'readme.txt' '..\..\windows\win.ini' >"$game/install.log"
"$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' >/dev/null 2>&1 &
expect_true "says why" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-refused.png"
wait_all
expect_true "removes nothing" test -e "$game/readme.txt"
expect_true "win.ini stays" test -e "$WINEPREFIX/drive_c/windows/win.ini"
expect_eq "the registry stays" "$(wine_reg_value "$product" InstallDir)" 'C:\Games\Brightvale'

summary e2e-finish

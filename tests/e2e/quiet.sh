#!/usr/bin/env bash
# Installing and removing without questions under Wine: /VERYSILENT with the second disc in a second
# CD-ROM drive, /S /D= with blanks, a disc in no drive, /SILENT showing the progress page only, a line not
# understood, uninstall.exe /S.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/e2e.sh"
e2e_begin quiet

product='HKCU\SOFTWARE\Orelwick\Brightvale'
disc1=$discs/disc1
disc2=$discs/disc2
runs() {
    bounded 60 "reg query of the additional program's Runs" "$BV_WINE" reg query 'HKCU\SOFTWARE\Orelwick\BrightvaleExtras' \
        /v Runs 2>/dev/null | tr -d '\r' | awk '$1 == "Runs" { print $3 }'
}
# no_window_seen LOG: while the installation runs, no window of ours was ever mapped (polled)
watch_windows() {
    seen=0
    while kill -0 "$1" 2>/dev/null; do
        xdotool search --onlyvisible --name 'Brightvale' >/dev/null 2>&1 && seen=1
        sleep 0.2
    done
    echo "$seen"
}
# exit_code CODE: the process's exit code as the caller got it (the Unix side sees it modulo 256) and,
# whole, as the first instance told it on the debug output
exit_code() {
    [ "$rc" -eq $(($1 % 256)) ] && grep -aq "setup: exit code $1\\\\n" "$log"
}
# quiet_setup NAME ARGS...: runs D:\setup.exe with ARGS, watching for windows; sets rc and seen
quiet_setup() {
    local name=$1
    shift
    log=$work/quiet-$name.log
    WINEDEBUG=-all,+debugstr timeout 600 "$BV_WINE" 'D:\setup.exe' "$@" >"$log" 2>&1 &
    local pid=$!
    seen=$(watch_windows "$pid")
    wait "$pid"
    rc=$?
}

echo "/VERYSILENT with the second disc in E:"
wine_prefix "$work/template" "$work/quiet-verysilent"
own_profile
wine_drive d "$disc1" cdrom
wine_drive e "$disc2" cdrom
game="$WINEPREFIX/drive_c/My Games/Bright vale"
quiet_setup verysilent /VERYSILENT '/DIR=C:\My Games\Bright vale' '/LOG=C:\setup-log.txt'
expect_true "exit code 0" exit_code 0
expect_eq "no window of ours on screen" "$seen" 0
expect_eq "every file equal to unrar x of the packages" "$(unpacked_differs "$disc1" "$game"; unpacked_differs "$disc2" "$game")" ""
expect_eq "InstallDir" "$(wine_reg_value "$product" InstallDir)" 'C:\My Games\Bright vale'
expect_true "the uninstaller and the log are there" test -f "$game/uninstall.exe" -a -f "$game/install.log"
expect_true "the first preset" test -f "$game/settings.cfg"
expect_true "the desktop shortcut" bash -c "ls '$WINEPREFIX/drive_c/users/$(id -un)/Desktop/'*.lnk >/dev/null 2>&1"
expect_eq "the additional program ran once" "$(runs)" "0x1"
expect_true "the log says exit code 0" grep -q 'result: exit code 0' "$WINEPREFIX/drive_c/setup-log.txt"
expect_true "the log names the files" grep -q '^file: C:\\My Games\\Bright vale\\' "$WINEPREFIX/drive_c/setup-log.txt"
expect_true "no journal left" test ! -e "$game/~setup-journal"

echo "uninstall.exe /S"
WINEDEBUG=-all timeout 300 "$BV_WINE" 'C:\My Games\Bright vale\uninstall.exe' /S >"$work/quiet-uninstall.log" 2>&1
expect_eq "uninstall exit code 0" "$?" 0
wait_all
# The uninstaller's own file, in use by the waiting first process, goes at the next restart.
expect_eq "nothing of the game left but uninstall.exe, which the waiting process holds" "$(ls -A "$game" 2>/dev/null | grep -v '^uninstall.exe$')" ""
expect_eq "InstallDir removed" "$(wine_reg_value "$product" InstallDir)" ""

echo "/S /D= with the second disc in no drive"
wine_prefix "$work/template" "$work/quiet-nodisc"
own_profile
wine_drive d "$disc1" cdrom
game="$WINEPREFIX/drive_c/Games/Bright vale"
mkdir -p "$game"
echo "the player's notes" >"$game/notes.txt"
before=$(listing "$game")
quiet_setup nodisc /S '/D=C:\Games\Bright vale'
expect_true "exit code 1603" exit_code 1603
expect_eq "no window of ours on screen" "$seen" 0
expect_eq "the target as before" "$(listing "$game")" "$before"
expect_true "the debug output says why" grep -q 'setup failed: the disc cd2 is in no drive' "$log"
expect_eq "not registered" "$(wine_reg_value "$product" InstallDir)" ""

echo "/SILENT: the progress page only"
wine_prefix "$work/template" "$work/quiet-silent"
own_profile
wine_drive d "$disc1" cdrom
wine_drive e "$disc2" cdrom
game="$WINEPREFIX/drive_c/Games/Silent"
log=$work/quiet-silent.log
WINEDEBUG=-all,+debugstr timeout 600 "$BV_WINE" 'D:\setup.exe' /SILENT '/DIR=C:\Games\Silent' >"$log" 2>&1 &
pid=$!
# The first sight of the window is screenshot at once; the page must be the progress page then, or the
# quality page after it: the sample's copy takes a tenth of a second, and may end before the shot.
# Never a page from before the copy.
first=none
while kill -0 "$pid" 2>/dev/null; do
    if xdotool search --onlyvisible --name 'Brightvale' >/dev/null 2>&1; then
        if on_page silent-first back_progress.tga || on_page silent-first back_quality.tga; then
            first=progress
        else
            first=other
        fi
        break
    fi
    sleep 0.1
done
wait "$pid"
rc=$?
expect_true "exit code 0" exit_code 0
expect_eq "the window's first sight is the progress page (or the quality page after it)" "$first" progress
expect_eq "every file equal to unrar x of the packages" "$(unpacked_differs "$disc1" "$game"; unpacked_differs "$disc2" "$game")" ""

echo "a line not understood"
quiet_setup badline /VERYSILENT /BOGUS
expect_eq "exit code 1" "$rc" 1
expect_true "the debug output names the switch" grep -aq "not understood: unknown switch /BOGUS" "$log"
expect_eq "no window" "$seen" 0
summary e2e-quiet

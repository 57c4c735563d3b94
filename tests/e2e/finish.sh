#!/usr/bin/env bash
# Finishing and maintenance under Wine: uninstall.exe against a hand-made game folder and log, then
# (with the sample discs) the whole installation, the maintenance page, Play and Uninstall.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/e2e.sh"
e2e_begin finish

product='HKCU\SOFTWARE\Orelwick\Brightvale'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brightvale'
runonce='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce'
user=$(id -un)
# runs: how often the sample's additional program has run (its REG_DWORD Runs, as 0x1)
runs() {
    bounded 60 "reg query of the additional program's Runs" "$BV_WINE" reg query 'HKCU\SOFTWARE\Orelwick\BrightvaleExtras' \
        /v Runs 2>/dev/null | tr -d '\r' | awk '$1 == "Runs" { print $3 }'
}

# A game folder as an installation leaves it, with a save game the player made.
make_game() {
    own_profile
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
    wine_reg_add "$product" InstallDir 'C:\Games\Brightvale'
    wine_reg_add "$product" VersionString '1.0.0 EN'
    wine_reg_add "$entry" DisplayName 'Brightvale'
    wine_reg_add "$entry" UninstallString 'C:\Games\Brightvale\uninstall.exe'
    wine_reg_add "$runonce" __OrelwickAdditionalInstallation__ '"D:\setup.exe" -AdditionalInstall'
    wine_end # the uninstaller starts on a prefix with nothing winding down
}

# uninstall NAME: uninstall.exe started from the game folder, what it tells traced into $work/NAME.log
uninstall() {
    walk_log=$work/$1.log
    WINEDEBUG=-all,+debugstr timeout 300 "$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' >"$walk_log" 2>&1 &
}
removed='Brightvale has been removed from your computer.'

echo "uninstall.exe on a hand-made installation"
wine_prefix "$work/template" "$work/finish-uninstall"
make_game
uninstall finish-uninstall
expect_true "asks before it starts" message_seen 'Remove Brightvale from this computer?'
expect_true "the question is answered" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-ask.png"
expect_true "goes on from a copy in the temporary folder" working_copy
expect_true "ends saying so" message_seen "$removed"
expect_true "the last box is answered" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-done.png"
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

echo "uninstall.exe /S: no question, no window, the outcome in the exit code"
wine_prefix "$work/template" "$work/finish-uninstall-quiet"
make_game
# A box would wait for an answer that never comes: ending by itself within the bound shows there was none.
WINEDEBUG=-all,+debugstr bounded 120 "uninstall.exe /S" "$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' /S \
    >"$work/finish-uninstall-quiet.log" 2>&1
expect_eq "ends with 0 once the work is done" "$?" 0
expect_true "every process ends" wait_all
expect_true "removes the game" test ! -e "$game/Brightvale.exe"
expect_eq "keeps the save game" "$(cat "$game/saves/slot1.sav" 2>/dev/null)" "my own game"
expect_true "removes the group" test ! -e "$group"
expect_eq "removes the uninstall entry" "$(wine_reg_value "$entry" DisplayName)" ""
expect_true "what it would have said is in the debug output" \
    grep -aqF "message: $removed" "$work/finish-uninstall-quiet.log"
make_game
printf '%s\r\n' 'readme.txt' '..\..\windows\win.ini' >"$game/install.log"
bounded 120 "uninstall.exe /S on a hostile log" "$BV_WINE" 'C:\Games\Brightvale\uninstall.exe' /S >/dev/null 2>&1
expect_eq "a refused log ends with 1" "$?" 1
expect_true "and removes nothing" test -e "$game/readme.txt"

echo "uninstall.exe when only its own files are left"
wine_prefix "$work/template" "$work/finish-uninstall2"
make_game
rm -rf "$game/saves"
uninstall finish-uninstall2
expect_true "the question is answered" box_answer "Brightvale Uninstall" Return
expect_true "its working copy runs" working_copy
expect_true "ends saying so" message_seen "$removed"
expect_true "the last box is answered" box_answer "Brightvale Uninstall" Return
expect_true "every process ends" wait_all
expect_true "removes the game folder" test ! -e "$game"
expect_true "keeps the Games folder" test -d "$WINEPREFIX/drive_c/Games"

echo "uninstall.exe refuses a hostile log"
wine_prefix "$work/template" "$work/finish-uninstall3"
make_game
printf '%s\r\n' 'readme.txt' '..\..\windows\win.ini' >"$game/install.log"
uninstall finish-uninstall3
expect_true "says why, naming the entry" \
    message_seen 'The installation log names something outside the game folder (..\..\windows\win.ini)'
expect_true "the box is answered" box_answer "Brightvale Uninstall" Return "$work/finish-uninstall-refused.png"
expect_eq "and asks nothing" "$(grep -ac 'message: Remove Brightvale' "$walk_log")" 0
expect_true "every process ends" wait_all
expect_true "removes nothing" test -e "$game/readme.txt"
expect_true "win.ini stays" test -e "$WINEPREFIX/drive_c/windows/win.ini"
expect_eq "the registry stays" "$(wine_reg_value "$product" InstallDir)" 'C:\Games\Brightvale'

echo "uninstall.exe where a logged folder is a link to a folder outside"
wine_prefix "$work/template" "$work/finish-uninstall4"
make_game
mkdir -p "$WINEPREFIX/drive_c/Outside"
printf 'not the game' >"$WINEPREFIX/drive_c/Outside/north.map"
rm -rf "$game/maps"
ln -s ../Outside "$game/maps" # a Unix link: Wine reports it as a reparse point
uninstall finish-uninstall4
expect_true "the question is answered" box_answer "Brightvale Uninstall" Return
expect_true "its working copy runs" working_copy
expect_true "ends saying so" message_seen "$removed"
expect_true "the last box is answered" box_answer "Brightvale Uninstall" Return
expect_true "every process ends" wait_all
expect_eq "the folder the link leads to keeps its files" "$(cat "$WINEPREFIX/drive_c/Outside/north.map" 2>/dev/null)" "not the game"
expect_true "the game's own files go" test ! -e "$game/Brightvale.exe"
# Wine cannot remove a link to a folder that is not empty (Windows removes the link itself): it stays,
# and the uninstaller names it among what it left.
expect_true "the link is gone or named as left" \
    bash -c "[ ! -e '$game/maps' ] || grep -aq 'maps' '$walk_log'"

# ---- the whole installation from the sample discs ----
rm -rf "$work/finish-discs"
cp -r "$discs" "$work/finish-discs"
cp "$bin/setup.exe" "$work/finish-discs/disc1/setup.exe"
for d in "$work"/finish-discs/disc*; do cp "$bin/uninstall.exe" "$d/uninstall.exe"; done
disc1=$work/finish-discs/disc1
disc2=$work/finish-discs/disc2


echo "the whole installation"
wine_prefix "$work/template" "$work/finish-walk"
own_profile
game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
wine_drive d "$disc1" cdrom
walk_log=$work/finish-walk.log
WINEDEBUG=-all,+debugstr timeout 900 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
walk_install expect_true
expect_true "comes back up on the maintenance page" wait_page 10-maintenance back_play.tga
expect_eq "InstallDir" "$(wine_reg_value "$product" InstallDir)" 'C:\Program Files\Orelwick\Brightvale'
expect_eq "CheckDisk" "$(wine_reg_value "$product" CheckDisk)" "1"
expect_eq "VersionString" "$(wine_reg_value "$product" VersionString)" "1.0.0 EN"
expect_eq "DisplayName" "$(wine_reg_value "$entry" DisplayName)" "Brightvale"
expect_eq "QuietUninstallString" "$(wine_reg_value "$entry" QuietUninstallString)" '"C:\Program Files\Orelwick\Brightvale\uninstall.exe" /S'
expect_true "InstallDate, yyyymmdd" grep -qE '^20[0-9]{6}$' <<<"$(wine_reg_value "$entry" InstallDate)"
expect_eq "URLInfoAbout, the home page" "$(wine_reg_value "$entry" URLInfoAbout)" 'https://www.orelwick.example/brightvale'
expect_eq "HelpLink, the support page" "$(wine_reg_value "$entry" HelpLink)" 'https://www.orelwick.example/support'
expect_eq "UninstallString, quoted" "$(wine_reg_value "$entry" UninstallString)" '"C:\Program Files\Orelwick\Brightvale\uninstall.exe"'
expect_eq "Publisher" "$(wine_reg_value "$entry" Publisher)" "Orelwick"
expect_true "EstimatedSize" grep -q REG_DWORD \
    <<<"$(bounded 60 "reg query EstimatedSize" "$BV_WINE" reg query "$entry" /v EstimatedSize 2>/dev/null)"
for f in Brightvale.exe uninstall.exe strings.txt install.log readme.txt settings.cfg; do
    expect_true "the game folder holds $f" test -f "$game/$f"
done
expect_eq "the low preset" "$(cmp -s "$game/settings.cfg" "$top/sample/presets/low/settings.cfg" && echo low)" "low"
expect_eq "install.log ends with the fixed names" "$(tail -4 "$game/install.log" | tr -d '\r' | tr '\n' ' ')" \
    'addinstf.bin uninstall.exe Media\strings.txt Media '
lnk=$(grep -a -i 'desktop.*\.lnk' "$game/install.log" | tr -d '\r' | head -1)
# The Start-menu group: logged (in its short form, as the shortcuts are) and made
group_line=$(tr -d '\r' <"$game/install.log" | grep -a -i 'Programs\\Orelwick\\[^\\]*\\$' | head -1)
group="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orelwick/Brightvale"
expect_true "the Start-menu group is made and logged ($group_line)" test -n "$group_line" -a -d "$group"
expect_true "the desktop shortcut is logged ($lnk)" test -n "$lnk"
desk_lnk=$(find -L "$WINEPREFIX/drive_c/users/$user/Desktop/" -iname '*.lnk' | head -1)
expect_true "the desktop shortcut resolves to the game" \
    bash -c "{ strings -a \"$desk_lnk\"; strings -a -el \"$desk_lnk\"; } | grep -q 'Program Files.Orelwick.Brightvale.Brightvale.exe'"
expect_eq "the additional program ran once" "$(runs)" "0x1"
expect_eq "every additional slot is done" "$(od -An -tx1 "$game/addinstf.bin" | tr -d ' \n')" "$(printf '01%.0s' $(seq 16))"
expect_eq "no RunOnce value of ours is left" "$(wine_reg_value "$runonce" __OrelwickAdditionalInstallation__)" ""
expect_eq "no journal is left" "$(ls -d "$game"/~setup-* 2>/dev/null)$(wine_reg_value "$product" PendingInstallDir)" ""

echo "the RunOnce phase runs the remaining slots only"
wine_end
bounded 120 "setup.exe -AdditionalInstall with every slot done" "$BV_WINE" 'D:\setup.exe' -AdditionalInstall \
    >"$work/finish-runonce1.log" 2>&1
expect_true "every process ends" wait_all
expect_eq "with every slot done nothing runs" "$(runs)" "0x1"
printf '\000%.0s' $(seq 16) >"$game/addinstf.bin"
timeout 300 "$BV_WINE" 'D:\setup.exe' -AdditionalInstall >"$work/finish-runonce2.log" 2>&1 &
expect_true "asks the slot's question" box_answer "Brightvale Setup" Return "$shots/11-runonce-question.png"
expect_true "the maintenance page follows" wait_page 12-runonce-maintenance back_play.tga
expect_eq "the remaining slot ran" "$(runs)" "0x2"

echo "Play"
wine_end
timeout 300 "$BV_WINE" 'D:\setup.exe' >"$work/finish-play.log" 2>&1 &
wait_window
expect_true "the maintenance page" wait_page 13-maintenance back_play.tga
click 100 127 3
engine=
for _ in $(seq 50); do
    engine=$(xdotool search --name '^Orelwick engine$' 2>/dev/null | head -1)
    [ -n "$engine" ] && break
    sleep 0.2
done
expect_true "the sample game runs" test -n "$engine"
shot 14-game
sleep 2
expect_true "the installer has ended" bash -c "! ps -eo args | grep -a -e '-CDPath' | grep -qv grep"
wine_end

echo "Uninstall from the maintenance page"
mkdir -p "$game/saves"
printf 'my own game' >"$game/saves/slot1.sav"
walk_log=$work/finish-uninstall-walk.log
WINEDEBUG=-all,+debugstr timeout 300 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
wait_window
click 100 187 1
expect_true "the uninstaller asks" message_seen 'Remove Brightvale from this computer?'
expect_true "the question is answered" box_answer "Brightvale Uninstall" Return "$shots/15-uninstall-question.png"
expect_true "its working copy runs" working_copy
expect_true "and tells what it left" message_seen "$removed"
expect_true "the last box is answered" box_answer "Brightvale Uninstall" Return "$shots/16-uninstall-done.png"
expect_true "every process ends" wait_all
expect_true "the game is gone" test ! -e "$game/Brightvale.exe"
expect_true "the log is gone" test ! -e "$game/install.log"
expect_eq "the save game stays" "$(cat "$game/saves/slot1.sav" 2>/dev/null)" "my own game"
expect_true "the desktop shortcut is gone" test ! -e "$desk_lnk"
expect_true "the Start-menu group is gone" test ! -e "$group"
expect_eq "InstallDir is gone" "$(wine_reg_value "$product" InstallDir)" ""
expect_eq "the uninstall entry is gone" "$(wine_reg_value "$entry" DisplayName)" ""
timeout 300 "$BV_WINE" 'D:\setup.exe' >"$work/finish-again.log" 2>&1 &
wait_window
expect_true "the next start offers a fresh installation" wait_page 17-welcome-again back_install.tga
wine_stop

echo "the whole installation by keyboard"
wine_prefix "$work/template" "$work/finish-keys"
own_profile
wine_drive d "$disc1" cdrom
walk_log=$work/finish-keys.log
WINEDEBUG=-all,+debugstr timeout 900 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
walk_install_keys expect_true
expect_true "comes back up on the maintenance page" wait_page k10-maintenance back_play.tga
expect_eq "the low preset" "$(cmp -s "$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale/settings.cfg" \
    "$top/sample/presets/low/settings.cfg" && echo low)" "low"
wine_stop

summary e2e-finish

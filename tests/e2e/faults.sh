#!/usr/bin/env bash
# Faults under Wine, with the real programs: the disc taken away and the target drive filling up in
# the middle of a package, the installer ended during the copy and started again, the session ending
# while an additional program runs, and hostile packages on a disc. After every failed copy the
# target folder must be exactly as it was, and nothing may be written outside it.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/e2e.sh"
e2e_begin faults
native=$top/build/native/bin

product='HKCU\SOFTWARE\Orelwick\Brightvale'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brightvale'

# ---- a disc for the faults: the sample game with a large package between the small ones, and two
# additional programs, the first of which ends the session ----
fsample=$work/faults-sample
rm -rf "$fsample" "$work/faults-discs"
cp -r "$top/build/sample" "$fsample"
mkdir -p "$fsample/game/pad"
pad_mib=32
head -c ${pad_mib}M /dev/urandom >"$fsample/game/pad/pad.bin"
cp "$bin/end_session.exe" "$fsample/"
cat >"$fsample/faults.disc" <<'EOF'
capacity    400M
main        Brightvale.exe
package     base.rar      readme.txt manual.txt
package     maps.rar      maps
package     pad.rar       pad
package     data.rar      data
preset      low           presets/low
preset      high          presets/high
additional  end_session.exe
additional  BrightvaleExtras.exe
label       BRIGHTVALE
EOF
"$native/mkdisc" --game "$fsample/game" --media "$fsample/media" --description "$fsample/faults.disc" \
    --programs "$bin" --out "$work/faults-discs" >"$work/faults-mkdisc.log" 2>&1 ||
    { cat "$work/faults-mkdisc.log"; exit 1; }
fdisc=$work/faults-discs/disc1
space=$(awk -F'\t' '$1 == "SPACE_NEED" { print $2 }' "$fdisc/Media/strings.txt" | tr -d '\r')

# The two sample discs, with the setup.exe and uninstall.exe just built.
rm -rf "$work/faults-sample-discs"
cp -r "$discs" "$work/faults-sample-discs"
cp "$bin/setup.exe" "$work/faults-sample-discs/disc1/"
for d in "$work"/faults-sample-discs/disc*; do cp "$bin/uninstall.exe" "$d/"; done

# start NAME DISC [E-FOLDER]: a fresh prefix with DISC in D: (and a hard disk E:), setup.exe started
# from it with its debug output (the messages it shows) in faults-NAME.log
start() {
    wine_prefix "$work/template" "$work/faults-$1"
    own_profile
    [ -n "${3:-}" ] && wine_drive e "$3" hd
    wine_drive d "$2" cdrom
    walk_log=$work/faults-$1.log
    WINEDEBUG=-all,+debugstr,+process "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
    wait_window
}
# to_options: Install on the welcome page, Accept on the licence page
to_options() {
    click 280 127 2
    click 275 336 2
}
# install: Install on the options page, then OK on the virus-scanner notice
install() {
    click 275 187 2
    click $OK_X $OK_Y 0
}
messages() { grep -a 'OutputDebugStringA "message: ' "$walk_log" | sed 's/.*"message: //; s/\\n"$//'; }
# hold_in FILE: installs, and freezes the installer as soon as FILE (a large member, as the host sees
# it) has its first bytes, so that a fault can be made in the middle of its package; true when it was caught
# there. The member is written in a blink: the watch starts before the click that starts the copy.
hold_in() {
    held=$(wine_pids '-CDPath' | head -1)
    rm -f "$work/faults-held"
    (
        end=$((SECONDS + 60))
        while [ ! -s "$1" ] && [ $SECONDS -lt $end ]; do :; done
        [ -n "$held" ] && kill -STOP "$held"
        sleep 0.2
        { stat -c %s "$1" 2>/dev/null || echo none; } >"$work/faults-held"
    ) &
    local watch=$!
    install
    wait $watch
    local size state
    size=$(cat "$work/faults-held")
    state=$(awk '$1 == "State:" { print $2 }' "/proc/${held:-0}/status" 2>/dev/null)
    echo "    process ${held:-none} in state ${state:-none}, with $size bytes of $(basename "$1") written"
    # Stopped, and the member neither empty nor whole, nor growing while stopped.
    [ "$state" = T ] && [ "$size" != none ] && [ "$size" -gt 0 ] && [ "$size" -lt $((pad_mib << 20)) ] &&
        [ "$(stat -c %s "$1")" = "$size" ]
}
release() { kill -CONT "$held"; }
# player_files FOLDER: what a player keeps in the target folder before installing: notes of his own
# and an older readme, which the first package replaces
player_files() {
    mkdir -p "$1"
    echo "the player's notes" >"$1/notes.txt"
    echo "an older readme" >"$1/readme.txt"
}
# after_failure NAME FOLDER BEFORE: OK on the message; the welcome page returns and FOLDER is as it was
after_failure() {
    shot "$1-message"
    click $OK_X $OK_Y 2
    expect_true "the welcome page returns" wait_page "$1-welcome" back_install.tga
    expect_eq "the target folder is exactly as it was" "$(listing "$2")" "$3"
    expect_eq "no folder of the installation is left in it" "$(cd "$2" && find . -mindepth 1 -type d)" ""
}

disc_away() {
    echo "the disc taken away in the middle of a package"
    rm -rf "$work/faults-away-disc"
    cp -r "$fdisc" "$work/faults-away-disc"
    start away "$work/faults-away-disc"
    target=$(host Games/Kept)
    player_files "$target"
    before=$(listing "$target")
    to_options
    type_folder 'C:\Games\Kept'
    expect_true "the installer is held in the middle of the large package" hold_in "$target/pad/pad.bin"
    rm "$WINEPREFIX/dosdevices/d:"
    truncate -s 4096 "$work/faults-away-disc/pad.rar"
    release
    expect_true "the read error is shown for the package's member" message_seen 'Unpack error: 18 (File: pad'
    after_failure away "$target" "$before"
    wine_end
}

drive_full() {
    echo "the target drive filling up in the middle of a package"
    mkdir -p "$small"
    mountpoint -q "$small" || mount -t tmpfs -o size=$((space + 6))m tmpfs "$small"
    # Without its own small drive the test would fill the disk it runs on.
    if ! mountpoint -q "$small"; then
        fail "a small drive for the target" "tmpfs could not be mounted on $small"
        return
    fi
    start full "$fdisc" "$small"
    player_files "$small/Brightvale"
    before=$(listing "$small/Brightvale")
    to_options
    type_folder 'E:\Brightvale'
    expect_true "the installer is held in the middle of the large package" hold_in "$small/Brightvale/pad/pad.bin"
    # Another program takes the rest of the drive meanwhile.
    dd if=/dev/zero of="$small/filler" bs=1M count=$((space + 6)) 2>/dev/null
    release
    expect_true "the write error is shown for the package's member" message_seen 'Unpack error: 19 (File: pad'
    after_failure full "$small/Brightvale" "$before"
    rm -f "$small/filler"
    wine_end
    umount "$small"
}

ended_and_restarted() {
    echo "the installer ended during the copy and started again"
    disc1=$work/faults-sample-discs/disc1
    disc2=$work/faults-sample-discs/disc2
    start killed "$disc1"
    game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
    to_options
    install
    insert=$(text_of INSERT_DISK)
    expect_true "disc 1 is unpacked and disc 2 asked for" message_seen "$insert"
    shot killed-disc-question
    wine_end
    expect_true "the first disc's files are in the game folder" test -f "$game/readme.txt"
    walk_log=$work/faults-killed-again.log
    WINEDEBUG=-all,+debugstr "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
    wait_window
    expect_true "the next start offers a fresh installation" on_page killed-welcome back_install.tga
    walk_install expect_true
    expect_true "the installation over the partial one completes" wait_page killed-maintenance back_play.tga
    expect_true "install.log is written" test -f "$game/install.log"
    expect_eq "nothing kept aside is left" "$(ls -d "$game"/~setup-kept* 2>/dev/null)" ""
    click 100 187 1 # Uninstall
    expect_true "the uninstaller asks" box_answer "Brightvale Uninstall" Return
    working_copy
    expect_true "and ends with a message" box_answer "Brightvale Uninstall" Return
    wait_all
    expect_eq "the game folder is gone, nothing of either attempt left" "$(find "$game" 2>/dev/null)" ""
    expect_eq "InstallDir is gone" "$(wine_reg_value "$product" InstallDir)" ""
    expect_eq "the uninstall entry is gone" "$(wine_reg_value "$entry" DisplayName)" ""
    wine_end
}

session_end() {
    echo "the session ending while an additional program runs"
    start session "$fdisc"
    game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
    to_options
    install
    expect_true "the quality page" wait_page session-quality back_quality.tga
    click 248 285 0.5
    click 100 187 1 # OK: the finishing steps, then the additional programs
    expect_true "every process ends, with no relaunch" wait_all
    expect_eq "the installer let the session end" \
        "$("$BV_WINE" reg query 'HKCU\SOFTWARE\Orelwick\EndSession' /v Answer 2>/dev/null | tr -d '\r' | awk '$1 == "Answer" { print $3 }')" "yes"
    expect_eq "the next additional program did not run" \
        "$(wine_reg_value 'HKCU\SOFTWARE\Orelwick\BrightvaleExtras' Installed)" ""
    expect_eq "only the first slot is marked done" "$(od -An -tx1 -N2 "$game/addinstf.bin" | tr -d ' \n')" "0100"
    started_after=$(awk '/CreateProcessInternalW app \(null\) cmdline/ { if (seen) print; if (/end_session/) seen = 1 }' "$walk_log")
    expect_eq "nothing was started after it, setup.exe neither" "$started_after" ""
    wine_end
}

hostile_packages() {
    echo "hostile packages on a disc"
    for kind in parent device truncated; do
        disc=$work/faults-hostile-disc
        rm -rf "$disc"
        cp -al "$fdisc" "$disc" # links: the package that changes is replaced, not written through
        case $kind in
        parent)
            package=maps.rar
            rm "$disc/maps.rar"
            "$native/hostile_rar" "$disc/maps.rar" 'maps\north.map' 'map' '..\..\x.txt' 'outside'
            ;;
        device)
            package=maps.rar
            rm "$disc/maps.rar"
            "$native/hostile_rar" "$disc/maps.rar" 'maps\north.map' 'map' 'maps\con.txt' 'device'
            ;;
        truncated)
            package=data.rar
            rm "$disc/data.rar"
            head -c $(($(stat -c %s "$fdisc/data.rar") / 2)) "$fdisc/data.rar" >"$disc/data.rar"
            ;;
        esac
        echo " a package with $kind member names"
        start "hostile-$kind" "$disc"
        target=$(host Games/Kept)
        player_files "$target"
        before=$(listing "$target")
        to_options
        type_folder 'C:\Games\Kept'
        install
        expect_true "the message names the package" message_seen "Cannot process package: $package."
        expect_eq "and is the only one after the notice" "$(messages | tail -n +2)" "Cannot process package: $package."
        after_failure "hostile-$kind" "$target" "$before"
        [ $kind = parent ] &&
            expect_eq "nothing is written outside the target" "$(find "$WINEPREFIX/drive_c" -name 'x.txt')" ""
        wine_end
    done
}

# Every fault, or those named on the command line.
for fault in "${@:-disc_away drive_full ended_and_restarted session_end hostile_packages}"; do
    for f in $fault; do $f; done
done
echo "screenshots in $shots"
summary e2e-faults

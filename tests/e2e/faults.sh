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
    start_setup faults-away "$work/faults-away-disc"
    target=$(host Games/Kept)
    player_files "$target"
    before=$(listing "$target")
    to_options
    type_folder 'C:\Games\Kept'
    expect_true "the installer is held in the middle of the large package" hold_in "$target/pad/pad.bin" $((pad_mib << 20))
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
    start_setup faults-full "$fdisc" "$small"
    player_files "$small/Brightvale"
    before=$(listing "$small/Brightvale")
    to_options
    type_folder 'E:\Brightvale'
    expect_true "the installer is held in the middle of the large package" hold_in "$small/Brightvale/pad/pad.bin" $((pad_mib << 20))
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
    echo "the installer ended between two packages and started again"
    disc1=$work/faults-sample-discs/disc1
    disc2=$work/faults-sample-discs/disc2
    start_setup faults-killed "$disc1"
    game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
    to_options
    start_copy
    insert=$(text_of INSERT_DISK)
    expect_true "disc 1 is unpacked and disc 2 asked for" message_seen "$insert"
    shot killed-disc-question
    wine_end
    expect_true "the first disc's files are in the game folder" test -f "$game/readme.txt"
    again faults-killed-again
    expect_true "the next start asks whether to continue" message_seen "$(text_of RESUME_INSTALL)"
    shot killed-resume-question
    click $YES_X $YES_Y 2
    walk_from_copy expect_true
    expect_true "the continued installation completes" wait_page killed-maintenance back_play.tga
    expect_true "install.log is written" test -f "$game/install.log"
    expect_eq "nothing kept aside is left" "$(ls -d "$game"/~setup-* 2>/dev/null)" ""
    click 100 187 1 # Uninstall
    expect_true "the uninstaller asks" box_answer "Brightvale Uninstall" Return
    expect_true "its working copy runs" working_copy
    expect_true "it ends saying so" message_seen 'Brightvale has been removed from your computer.'
    expect_true "and its last box is answered" box_answer "Brightvale Uninstall" Return
    expect_true "every process ends" wait_all
    expect_eq "the game folder is gone, nothing of either start left" "$(find "$game" 2>/dev/null)" ""
    expect_eq "InstallDir is gone" "$(wine_reg_value "$product" InstallDir)" ""
    expect_eq "the uninstall entry is gone" "$(wine_reg_value "$entry" DisplayName)" ""
    wine_end
}

killed_mid_package() {
    disc1=$fdisc # the texts the installer shows
    for answer in no yes; do
        echo "the installer killed in the middle of a package, started again, answered $answer"
        start_setup "faults-kill-$answer" "$fdisc"
        target=$(host Games/Kept)
        player_files "$target"
        before=$(listing "$target")
        to_options
        type_folder 'C:\Games\Kept'
        expect_true "the installer is held in the middle of the large package" hold_in "$target/pad/pad.bin" $((pad_mib << 20))
        wine_end # killed, as Task Manager or a crash ends it: nothing of it runs any more
        again "faults-kill-$answer-again"
        expect_true "the next start asks whether to continue" message_seen "$(text_of RESUME_INSTALL)"
        shot "kill-$answer-question"
        if [ $answer = no ]; then
            click $NO_X $NO_Y 2
            expect_true "then the welcome page" wait_page kill-no-welcome back_install.tga
            expect_eq "the target folder is exactly as it was, modes too" "$(listing "$target")" "$before"
            expect_eq "no folder of the installation is left in it" "$(cd "$target" && find . -mindepth 1 -type d)" ""
        else
            click $YES_X $YES_Y 2
            expect_true "the copy goes on to the quality page" wait_page kill-yes-quality back_quality.tga
            expect_eq "every file equals unrar x of the packages" "$(unpacked_differs "$fdisc" "$target")" ""
            expect_eq "the player's notes are kept" "$(cat "$target/notes.txt")" "the player's notes"
        fi
        wine_end
    done
}

closed_during_copy() {
    disc1=$fdisc
    echo "Alt+F4 in the middle of a package"
    start_setup faults-close "$fdisc"
    target=$(host Games/Kept)
    player_files "$target"
    before=$(listing "$target")
    to_options
    type_folder 'C:\Games\Kept'
    expect_true "the installer is held in the middle of the large package" hold_in "$target/pad/pad.bin" $((pad_mib << 20))
    xdotool key alt+F4 # waits in the queue until the installer runs again
    release
    expect_true "the close asks the cancel question" message_seen "$(text_of ARE_YOU_SURE)"
    shot close-question
    click $YES_X $YES_Y 2
    expect_true "the program is still there, on the welcome page" wait_page close-welcome back_install.tga
    expect_eq "the target folder is exactly as it was" "$(listing "$target")" "$before"
    wine_end

    echo "Alt+F4 while the notice is open"
    start_setup faults-notice "$fdisc"
    to_options
    click 275 187 2
    expect_true "the notice is up" message_seen "$(text_of ANTIVIR_WARNING)"
    xdotool key alt+F4
    sleep 2
    shot notice-after-close
    if [ -n "$(wine_pids '-CDPath')" ]; then
        expect_true "the notice stays until it is answered" test -n "$(window)"
        expect_eq "and nothing else was shown" "$(messages | tail -n +2)" ""
    else
        pass "no process is left"
    fi
    wine_end
    again faults-notice-again
    expect_true "a new start shows the welcome page" wait_page notice-again-welcome back_install.tga
    expect_eq "with nothing to continue, nothing is asked" "$(messages)" ""
    wine_end
}

finished_once() {
    echo "OK clicked twice while the additional program runs"
    disc1=$work/faults-sample-discs/disc1
    disc2=$work/faults-sample-discs/disc2
    start_setup faults-twice "$disc1"
    to_options
    start_copy
    expect_true "disc 2 asked for" message_seen "$(text_of INSERT_DISK)"
    disc "$disc2"
    click $YES_X $YES_Y 0.5
    expect_true "the quality page" wait_page twice-quality back_quality.tga
    disc "$disc1"
    click 248 285 0.5
    click 100 187 0.5
    expect_true "the additional program's question" message_seen "$(text_of CONFIRM_ADD_INSTALL_0)"
    click $YES_X $YES_Y 1.5
    click 100 187 0.5 # again, while the program runs its five seconds
    click 100 187 0.5
    expect_true "the maintenance page" wait_page twice-maintenance back_play.tga
    expect_eq "the additional program ran once" \
        "$(bounded 60 "reg query Runs" "$BV_WINE" reg query 'HKCU\SOFTWARE\Orelwick\BrightvaleExtras' /v Runs 2>/dev/null | tr -d '\r' | awk '$1 == "Runs" { print $3 }')" "0x1"
    expect_eq "it was started once" "$(grep -ac 'CreateProcessInternalW.*BrightvaleExtras' "$work/faults-twice.log")" 1
    expect_eq "no RunOnce value of ours is left" \
        "$(wine_reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce' __OrelwickAdditionalInstallation__)" ""
    wine_end
}

session_end() {
    echo "the session ending while an additional program runs"
    start_setup faults-session "$fdisc"
    game="$WINEPREFIX/drive_c/Program Files/Orelwick/Brightvale"
    to_options
    start_copy
    expect_true "the quality page" wait_page session-quality back_quality.tga
    click 248 285 0.5
    click 100 187 1 # OK: the finishing steps, then the additional programs
    expect_true "every process ends, with no relaunch" wait_all
    expect_eq "the installer let the session end" \
        "$(bounded 60 "reg query Answer" "$BV_WINE" reg query 'HKCU\SOFTWARE\Orelwick\EndSession' /v Answer 2>/dev/null | tr -d '\r' | awk '$1 == "Answer" { print $3 }')" "yes"
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
        start_setup "faults-hostile-$kind" "$disc"
        target=$(host Games/Kept)
        player_files "$target"
        before=$(listing "$target")
        to_options
        type_folder 'C:\Games\Kept'
        start_copy
        expect_true "the message names the package" message_seen "Cannot process package: $package."
        expect_eq "and is the only one after the notice" "$(messages | tail -n +2)" "Cannot process package: $package."
        after_failure "hostile-$kind" "$target" "$before"
        [ $kind = parent ] &&
            expect_eq "nothing is written outside the target" "$(find "$WINEPREFIX/drive_c" -name 'x.txt')" ""
        wine_end
    done
}

# Every fault, or those named on the command line.
for fault in "${@:-disc_away drive_full ended_and_restarted killed_mid_package closed_during_copy finished_once session_end hostile_packages}"; do
    for f in $fault; do $f; done
done
echo "screenshots in $shots"
summary e2e-faults

#!/usr/bin/env bash
# The copy under Wine on the two sample discs: the options page with a typed folder, the checks, the
# worker with the change to disc 2, Cancel answered Yes (the target folder as it was before) and No
# (every byte in place), and a target drive too small for the game.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/e2e.sh"
. "$top/bench/recognise.sh"
e2e_begin copy
# What the whole-install benchmark recognises on screen, checked on this script's screenshots: a
# change of skin or layout that would blind the benchmark fails here.
rec_build_xwatch "$work/xwatch" || { echo "cannot build bench/xwatch.c"; exit 1; }
rec_prepare "$skins" "$work/copy-recognise" "$work/xwatch" || { echo "no references from the skins"; exit 1; }

# The discs as the main job makes them, with the setup.exe just built.
rm -rf "$work/copy-discs"
cp -r "$discs" "$work/copy-discs"
cp "$bin/setup.exe" "$work/copy-discs/disc1/setup.exe"
disc1=$work/copy-discs/disc1
disc2=$work/copy-discs/disc2

# What the game folder holds after a complete copy: every package unpacked, and the main executable.
reference=$work/copy-reference
rm -rf "$reference"
mkdir -p "$reference"
for p in "$disc1"/*.rar "$disc2"/*.rar; do unrar x -idq -o+ "$p" "$reference/" >/dev/null; done
# unrar leaves the names in the discs' OEM code page; Wine writes them as the names they stand for.
find "$reference" -depth -name '*[! -~]*' | while read -r f; do
    mv "$f" "$(dirname "$f")/$(basename "$f" | iconv -f CP437 -t UTF-8)"
done
main=$(awk -F'\t' '$1 == "MAIN_EXECUTABLE" { print $2 }' "$disc1/Media/strings.txt" | tr -d '\r')
insert=$(text_of INSERT_DISK)
sure=$(text_of ARE_YOU_SURE)
cp "$disc1/$main" "$reference/$main"

# start NAME [E-FOLDER]: a fresh prefix with disc 1 in D: (and a hard disk E:), setup.exe started
# from it, up to the options page
start() {
    wine_prefix "$work/template" "$work/copy-$1"
    [ -n "${2:-}" ] && wine_drive e "$2" hd
    wine_drive d "$disc1" cdrom
    walk_log=$work/copy-$1.log
    WINEDEBUG=-all,+debugstr timeout 900 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
    wait_window
    [ "$1" = whole ] && still whole-welcome
    click 280 127 2 # welcome: Install
    [ "$1" = whole ] && still whole-licence
    click 275 336 2 # licence: Accept
}
# still NAME: a screenshot with the pointer parked away from the wizard
still() {
    rec_park
    sleep 0.5
    shot "$1"
}
# Install on the options page, then OK on the virus-scanner notice.
install() {
    click 275 187 0.5
    expect_true "the virus-scanner notice comes up" message_seen "$(text_of ANTIVIR_WARNING)"
    sleep 1
    shot "$1-notice"
    if [ "$1" = whole ]; then
        # Its OK highlighted under the pointer, as the benchmark once saw it
        xdotool mousemove $((X0 + OK_X)) $((Y0 + OK_Y))
        sleep 0.5
        shot "$1-notice-hover"
    fi
    click $OK_X $OK_Y 1.5
}
# recognised SCREENSHOT: what the benchmark's recognition finds in it, by name
recognised() {
    local name found=
    for name in $REC_NAMES; do rec_shows "$name" "$1" && found+="$name "; done
    echo "${found% }"
}

echo "the whole copy with the change to disc 2"
start whole
expect_true "the options page is shown" wait_page options back_options.tga
type_folder 'C:\Games\Typed'
shot options-typed
install whole
expect_true "the progress page is shown" wait_page progress back_progress.tga
t=$(title)
expect_true "the window title carries the percentage ($t)" grep -qE ' - \( ?[0-9]+\.[0-9]%\)$' <<<"$t"
expect_true "disc 2 is asked for" message_seen "$insert"
sleep 1
shot disc-question
disc "$disc2"
click $YES_X $YES_Y 0.5
expect_true "the quality page follows" wait_page quality back_quality.tga
expect_eq "at the end of the copy the title is the plain one" "$(title)" "Brightvale Installation"
expect_eq "every file of both discs is in the typed folder" "$(contents "$(host Games/Typed)")" "$(contents "$reference")"
expect_true "the journal stays until the finishing steps" test -f "$(host Games/Typed)/~setup-journal"
expect_true "nothing kept aside is left" test -z "$(ls -d "$(host Games/Typed)"/~setup-kept* 2>/dev/null)"
wine_end

echo "what the benchmark recognises on these screenshots"
# The notice stands over the options page and a question over the progress page: their subtitles stay.
expect_eq "the welcome page, and nothing else" "$(recognised "$shots/whole-welcome.png")" install
expect_eq "the licence page, and nothing else" "$(recognised "$shots/whole-licence.png")" license
expect_eq "the options page, and nothing else" "$(recognised "$shots/options.png")" options
expect_eq "the notice over the options page" "$(recognised "$shots/whole-notice.png")" "options notice"
expect_eq "the notice with its OK highlighted" "$(recognised "$shots/whole-notice-hover.png")" "options notice"
ok_button="132x14+$((X0 + 215))+$((Y0 + 320))"
expect_true "the highlighted OK is drawn differently" bash -c "! convert '$shots/whole-notice.png' -crop $ok_button +repage \
    rgb:- | cmp -s - <(convert '$shots/whole-notice-hover.png' -crop $ok_button +repage rgb:-)"
expect_eq "the progress page, and nothing else" "$(recognised "$shots/progress.png")" progress
expect_eq "the question for disc 2 is no notice" "$(recognised "$shots/disc-question.png")" progress
expect_eq "the quality page, and nothing else" "$(recognised "$shots/quality.png")" quality

echo "Cancel answered Yes during the copy"
start cancel
mkdir -p "$(host Games/Kept)"
echo "the player's notes" >"$(host Games/Kept/notes.txt)"
echo "an older readme" >"$(host Games/Kept/readme.txt)"
before=$(listing "$(host Games/Kept)")
type_folder 'C:\Games\Kept'
install cancel
expect_true "disc 2 is asked for" message_seen "$insert"
sleep 1
# Disc 1's packages are in by now: the cancel has something to undo.
expect_true "the first disc's files were copied before the cancel" \
    test -n "$(comm -13 <(sort <<<"$before") <(listing "$(host Games/Kept)" | sort))"
click $YES_X $YES_Y 1 # Yes with disc 1 still in: the worker waits three seconds before asking again
click 275 357 1       # Cancel
expect_true "Cancel asks whether to stop" message_seen "$sure"
shot cancel-question
click $YES_X $YES_Y 3
expect_true "the welcome page returns" wait_page cancel-welcome back_install.tga
expect_eq "the target folder is exactly as it was" "$(listing "$(host Games/Kept)")" "$before"
expect_true "with no folder of the installation left" test -z "$(cd "$(host Games/Kept)" && find . -mindepth 1 -type d)"
wine_end

echo "Cancel answered No (with Esc) during the copy"
start resume
type_folder 'C:\Games\Resumed'
install resume
expect_true "disc 2 is asked for" message_seen "$insert"
sleep 1
click $YES_X $YES_Y 1
click 275 357 1
expect_true "Cancel asks whether to stop" message_seen "$sure"
xdotool key Escape # Esc answers No: the disc question comes again
sleep 1
expect_true "after No the copy goes on: disc 2 is asked for again" message_seen "$insert" 2
disc "$disc2"
sleep 1
click $YES_X $YES_Y 0.5
expect_true "the quality page follows" wait_page resume-quality back_quality.tga
expect_eq "every byte is in place" "$(contents "$(host Games/Resumed)")" "$(contents "$reference")"
wine_end

echo "a target drive too small for the game"
mkdir -p "$small"
mountpoint -q "$small" || mount -t tmpfs -o size=3m tmpfs "$small"
expect_true "the small drive is a 3 MiB file system of its own" \
    bash -c "mountpoint -q '$small' && [ \$(df -k --output=size '$small' | tail -1) -le 4096 ]"
start small "$small"
type_folder 'E:\Brightvale'
click 275 187 2
expect_true "the player is told the drive is too small" message_seen "$(text_of OUT_OF_SPACE1)"
shot small-message
click $OK_X $OK_Y 1.5
expect_true "the options page stays" on_page small-options back_options.tga
expect_true "no copy started (title $(title))" test -z "$(grep -E '%\)$' <<<"$(title)")"
expect_eq "nothing is unpacked on the small drive" "$(find "$small" -type f | wc -l)" 0
wine_end

echo "screenshots in $shots"
summary e2e-copy

# Driving the installer's wizard under Wine and Xvfb (sourced after wine.sh): clicks relative to the
# wizard rectangle, screenshots into $shots, and which page is shown told by the subtitle band of its skin
# ($skins holds the rendered skins). Used by the e2e tests and the main job.
X0=237
Y0=164
OK_X=281 OK_Y=327 YES_X=208 YES_Y=327 NO_X=359 NO_Y=327
click() { xdotool mousemove $((X0 + $1)) $((Y0 + $2)) click 1; sleep "${3:-1}"; }
shot() { import -window root "$shots/$1.png" 2>/dev/null; }
window() { xdotool search --onlyvisible --name 'Brightvale' 2>/dev/null | head -1; }
# title: the installer window's title; host PATH: a path under the prefix's C: drive
title() { xdotool getwindowname "$(window)" 2>/dev/null; }
host() { echo "$WINEPREFIX/drive_c/$1"; }
# listing DIR: every file with its checksum and its mode (a read-only file loses its write bits under
# Wine), relative, sorted
listing() { (cd "$1" 2>/dev/null && find . -type f -exec sh -c 'for f; do echo "$(md5sum <"$f" | cut -c1-32) $(stat -c %a "$f") $f"; done' _ {} + | sort -k3); }
# contents DIR: every file with its checksum, relative, sorted, without the installer's own journal and
# kept files (for comparing an installation with the packages it came from)
contents() { (cd "$1" 2>/dev/null && find . -type f ! -path './~setup-*' -exec md5sum {} + | sort -k2); }
# type_folder PATH: replaces the text of the options page's folder box
type_folder() {
    click 277 161 0.5
    xdotool key End
    xdotool key --repeat 120 --delay 5 BackSpace
    xdotool type --delay 30 "$1"
    sleep 0.5
}

# start_setup NAME DISC [E-FOLDER]: a fresh prefix $work/NAME with DISC in D: (and a hard disk E:), and
# setup.exe started from D: with its debug output (the messages it shows) in $work/NAME.log
start_setup() {
    wine_prefix "$work/template" "$work/$1"
    own_profile
    [ -n "${3:-}" ] && wine_drive e "$3" hd
    wine_drive d "$2" cdrom
    walk_log=$work/$1.log
    WINEDEBUG=-all,+debugstr,+process timeout 900 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
    wait_window
}
# again NAME: setup.exe started once more from D: in the same prefix, its output in $work/NAME.log
again() {
    walk_log=$work/$1.log
    WINEDEBUG=-all,+debugstr,+process timeout 900 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
    wait_window
}
# to_options: Install on the welcome page, Accept on the licence page
to_options() {
    click 280 127 2
    click 275 336 2
}
# start_copy: Install on the options page, then OK on the virus-scanner notice once it is up; false when
# the notice never came
start_copy() {
    local count
    count=$(grep -acF "message: $(text_of ANTIVIR_WARNING)" "$walk_log" 2>/dev/null)
    click 275 187 0.5
    message_seen "$(text_of ANTIVIR_WARNING)" $((count + 1)) || return 1
    sleep 0.5
    click $OK_X $OK_Y 0
}
# messages: what the installer has shown so far, a message a line
messages() { grep -a 'OutputDebugStringA "message: ' "$walk_log" | sed 's/.*"message: //; s/\\n"$//'; }
# hold_in FILE BYTES: starts the copy, and freezes the installer as soon as FILE (a large member, as the host
# sees it, BYTES when whole) has its first bytes, so that a fault can be made in the middle of its
# package; true when it was caught there (stopped, the member neither empty nor whole, nor growing).
hold_in() {
    held=$(wine_pids '-CDPath' | head -1)
    "$top/build/native/bin/freeze_at" "${held:-0}" "$1" 60 >"$work/held" 2>/dev/null &
    local watch=$!
    start_copy
    wait $watch
    local size state
    size=$(cat "$work/held")
    state=$(awk '$1 == "State:" { print $2 }' "/proc/${held:-0}/status" 2>/dev/null)
    echo "    process ${held:-none} in state ${state:-none}, with ${size:-no} bytes of $(basename "$1") written"
    [ "$state" = T ] && [ -n "$size" ] && [ "$size" -gt 0 ] && [ "$size" -lt "$2" ] &&
        [ "$(stat -c %s "$1")" = "$size" ]
}
release() { kill -CONT "$held"; }
# unpacked_differs DISC TARGET: every file of DISC's packages, as the vendor's unrar x unpacks them,
# that TARGET does not hold byte for byte (a name a line; nothing when all are there). unrar writes the
# names as stored, in the discs' OEM code page (437): they are read back in it.
unpacked_differs() {
    local ref=$work/unrar-x
    rm -rf "$ref"
    mkdir -p "$ref"
    for a in "$1"/*.rar; do unrar x -o+ -idq "$a" "$ref/" >/dev/null || echo "unrar x failed on $a"; done
    python3 - "$ref" "$2" <<'PY'
import filecmp, os, sys
ref, target = sys.argv[1].encode(), sys.argv[2]
for root, _, files in os.walk(ref):
    for f in files:
        name = os.path.relpath(os.path.join(root, f), ref).decode("cp437")
        there = os.path.join(target, name)
        if not os.path.isfile(there) or not filecmp.cmp(os.path.join(root, f), there, shallow=False):
            print(name)
PY
}
# player_files FOLDER: what a player keeps in the target folder before installing: notes of his own, an
# older readme and a read-only manual, both of which the first package replaces
player_files() {
    mkdir -p "$1"
    echo "the player's notes" >"$1/notes.txt"
    echo "an older readme" >"$1/readme.txt"
    echo "an older manual" >"$1/manual.txt"
    chmod a-w "$1/manual.txt"
}

# own_profile: the prefix's profile folders that Wine links to the home folder (the desktop among them)
# become folders of the prefix, so that shortcuts stay inside it
own_profile() {
    local l
    for l in "$WINEPREFIX/drive_c/users/$(id -un)"/*; do
        [ -L "$l" ] && rm "$l" && mkdir "$l"
    done
    true
}
disc() { ln -sfn "$1" "$WINEPREFIX/dosdevices/d:"; }
# on_page NAME SKIN: saves the screenshot NAME; true when the wizard shows the page's subtitle band
# (below the game's name, which the pages share) as its skin has it. The skins are stored bottom-up:
# -auto-orient reads them the way they are shown. The bands of two pages differ by 0.13 or more.
on_page() {
    rm -f "$shots/$1.png" "$shots/.skin.png" "$shots/.band.png"
    shot "$1"
    convert "$skins/$2" -auto-orient -crop 200x20+200+80 +repage "$shots/.skin.png" &&
        convert "$shots/$1.png" -crop 200x20+$((X0 + 200))+$((Y0 + 80)) +repage "$shots/.band.png" || return 1
    local d
    d=$(compare -metric RMSE "$shots/.band.png" "$shots/.skin.png" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\))$/\1/p')
    [ -n "$d" ] && awk -v d="$d" 'BEGIN { exit !(d + 0 < 0.02) }'
}
# wait_window: until the installer's window shows (and a few seconds for its first frames); a window
# that never comes is a failed step of its own, and the status is 1
wait_window() {
    for _ in $(seq 300); do
        if [ -n "$(window)" ]; then
            sleep 3
            return 0
        fi
        sleep 0.2
    done
    fail "the installer's window comes up" "none within 60 s"
    return 1
}
# wait_page NAME SKIN: up to a minute for the page to show
wait_page() {
    for _ in $(seq 60); do
        [ -n "$(window)" ] && on_page "$1" "$2" && return 0
        sleep 1
    done
    return 1
}

# message_seen TEXT [N]: within 60 s the installer has shown a message starting with TEXT (a fixed
# string), N times if given. It reads the debug output where every message also goes: the installer
# runs with WINEDEBUG including +debugstr and its output in $walk_log.
message_seen() {
    # An empty text (a key missing from the table) would match any message.
    [ -n "$1" ] || { echo "    message_seen: no text given" >&2; return 1; }
    # Wine's trace escapes backslashes and quotes.
    local traced
    traced=$(sed 's/\\/\\\\/g; s/"/\\"/g' <<<"$1")
    for _ in $(seq 300); do
        [ "$(grep -acF "OutputDebugStringA \"message: $traced" "$walk_log")" -ge "${2:-1}" ] && return 0
        sleep 0.2
    done
    return 1
}

# text_of KEY: the text of a key in the first disc's string table ($disc1, else the disc in D:)
text_of() {
    local table="${disc1:-}/Media/strings.txt"
    [ -f "$table" ] || table="${WINEPREFIX:-}/dosdevices/d:/Media/strings.txt"
    tr -d '\r' <"$table" 2>/dev/null | awk -F'\t' -v k="$1" '$1 == k { print $2; exit }'
}

# walk_install CHECK: from the welcome page of a setup.exe started from $disc1 to the end of the
# finishing steps: Install, Accept, Install (default folder), OK on the notice, disc 2 when asked, the
# low preset, OK, Yes to the additional program. CHECK is called as `CHECK NAME COMMAND...` for each
# page (expect_true in the tests, a printing check in the main job). The installer runs traced into
# $walk_log (see message_seen), which tells when a question is up.
walk_install() {
    local check=$1
    wait_window
    $check "the welcome page" on_page 1-welcome back_install.tga
    click 280 127 2
    $check "the licence page" on_page 2-licence back_license.tga
    click 275 336 2
    $check "the options page" on_page 3-options back_options.tga
    click 275 187 0.5
    $check "the virus-scanner notice" message_seen "$(text_of ANTIVIR_WARNING)"
    sleep 1
    shot 4-notice
    click $OK_X $OK_Y 1.5
    $check "the progress page" on_page 5-progress back_progress.tga
    walk_from_copy "$check"
}
# enter [SECONDS]: Enter on the installer's window, then a pause (1 s)
enter() {
    xdotool windowfocus "$(window)" 2>/dev/null
    xdotool key Return
    sleep "${1:-1}"
}
# walk_install_keys CHECK: walk_install with Enter alone (the rows the pages start on, the boxes' default
# answers), but for the low preset, which the mouse picks: Enter on its box is OK.
walk_install_keys() {
    local check=$1
    wait_window
    $check "the welcome page" on_page k1-welcome back_install.tga
    enter 2
    $check "the licence page, by Enter" on_page k2-licence back_license.tga
    enter 2
    $check "the options page, by Enter" on_page k3-options back_options.tga
    enter 0.5
    $check "the virus-scanner notice, by Enter" message_seen "$(text_of ANTIVIR_WARNING)"
    sleep 1
    enter 1.5
    $check "the progress page, the notice answered by Enter" on_page k5-progress back_progress.tga
    $check "the question for disc 2" message_seen "$(text_of INSERT_DISK)" && sleep 1
    disc "$disc2"
    enter 0.5
    $check "the quality page, the question answered by Enter" wait_page k7-quality back_quality.tga
    disc "$disc1"
    click 248 285 0.5
    enter 0.5
    $check "the additional program's question, OK by Enter" message_seen "$(text_of CONFIRM_ADD_INSTALL_0)" && sleep 1
    enter 2
}
# walk_from_copy CHECK: from the copy of disc 1 on, as walk_install goes on
walk_from_copy() {
    local check=$1
    $check "the question for disc 2" message_seen "$(text_of INSERT_DISK)" && sleep 1
    shot 6-disc-question
    disc "$disc2"
    click $YES_X $YES_Y 0.5
    $check "the quality page" wait_page 7-quality back_quality.tga
    disc "$disc1" # the program started anew looks for the first disc
    click 248 285 0.5
    shot 8-quality-low
    click 100 187 0.5
    $check "the additional program's question" message_seen "$(text_of CONFIRM_ADD_INSTALL_0)" && sleep 1
    shot 9-extras-question
    click $YES_X $YES_Y 2
}

# boxes TITLE: the visible windows of that title but the full-screen main window, which may share it
boxes() {
    local w
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { print $2 }')" != 1024x768 ] && echo "$w"
    done
}
# box_answer TITLE KEY [SHOT]: waits for a visible box with the title, saves a screenshot, and sends the
# key to it until it is gone; false when no box came or it would not go.
# trace_count: how many messages the traced program ($walk_log) has shown so far
trace_count() { [ -n "${walk_log:-}" ] && grep -ac 'OutputDebugStringA "message: ' "$walk_log" 2>/dev/null || echo 0; }
box_answer() {
    local w=
    for _ in $(seq 150); do
        w=$(boxes "$1" | tail -1)
        [ -n "$w" ] && break
        sleep 0.2
    done
    [ -z "$w" ] && return 1
    sleep 0.5
    [ -n "${3:-}" ] && import -window root "$3" 2>/dev/null
    # Wine reuses the window for the next box: the same box is told by its size as well.
    local size
    size=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { print $2 }')
    local shown
    shown=$(trace_count)
    for _ in $(seq 5); do
        xdotool windowfocus "$w" 2>/dev/null
        sleep 0.2
        xdotool key "$2" 2>/dev/null
        # Gone (or another box in its window, which Wine reuses: another size, or another message traced
        # since): answered. A box can stay on screen for a couple of seconds after its answer, so the key is
        # sent again only after five.
        for _ in $(seq 25); do
            sleep 0.2
            [ "$(trace_count)" -gt "$shown" ] && return 0
            boxes "$1" | grep -qx "$w" &&
                [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { print $2 }')" = "$size" ] &&
                continue
            return 0
        done
    done
    return 1
}

# working_copy: waits until the uninstaller's copy in the temporary folder runs (the user's instance has
# closed its question by then).
working_copy() {
    for _ in $(seq 100); do
        [ -n "$(wine_pids '/remove C:')" ] && sleep 1 && return 0
        sleep 0.2
    done
    ps -eo args | grep -a -e remove -e uninstall -e '\.tmp' | grep -v grep | sed 's/^/    process: /'
    return 1
}

# wait_all: waits for every process of the prefix, at most 90 s (then they are ended, and it fails).
wait_all() {
    timeout 90 "$BV_WINESERVER" -w && return 0
    timeout 60 "$BV_WINESERVER" -k 2>/dev/null
    return 1
}

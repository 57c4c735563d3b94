#!/usr/bin/env bash
# The installer's window under Wine on Xvfb, on the sample discs: the welcome page and its skin, the
# row highlight, the licence page and its scrolling, Decline, Exit, the skinned boxes answered by
# clicks, minimising, the engine window, and the maintenance flow without its string table.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/wine.sh"
. "$top/tests/support/check.sh"
work=${BV_WORK:-$top/build/wine}
bin=$top/build/win64/bin
disc=$top/build/discs/disc1
shots=$work/window-shots
mkdir -p "$work" "$shots"
# The discs made after the setup.exe just built (by test-all.sh, or here when they are stale).
if ! [ "$disc/cd1" -nt "$bin/setup.exe" ] || ! [ "$disc/cd1" -nt "$top/build/native/bin/mkdisc" ]; then
    bash "$top/scripts/make-discs.sh" >"$work/window-discs.log" 2>&1 ||
        { tail -20 "$work/window-discs.log"; echo "the sample discs could not be made"; exit 1; }
fi
wine_template "$work/template"
bv_display || exit 1
SETUP=
trap '[ -n "$SETUP" ] && kill "$SETUP" 2>/dev/null; wine_stop; bv_display_stop' EXIT

product='HKCU\SOFTWARE\Orelwick\Brightvale'
X0=237 # the wizard's corner on a 1024 x 768 screen
Y0=164

new_world() {
    wine_prefix "$work/template" "$work/window-$1"
    wine_drive d "$disc" cdrom
    wine_reg_add "$product" ExeCDPath 'D:'
    wine_end
}

# start_setup: the relaunched instance started directly, so that its exit code is ours to read (SETUP is
# its timeout's process, which ends with the installer's code, or 124 when the installer outlived it).
# Its messages go to a log, so that a failed start says why. Each start gets a prefix with nothing
# left running: a start while the last one's desktop and services wind down is not what a player sees.
starts=0
start_setup() {
    wine_end
    starts=$((starts + 1))
    WINEDEBUG=+debugstr${TRACE:-} timeout 300 "$BV_WINE" 'D:\setup.exe' -CDPath D: >/dev/null 2>"$work/window-setup-$starts.log" &
    SETUP=$!
}
# started: the installer's window is up and the installer still runs; otherwise its log is shown
started() {
    if [ -n "$(wait_window 'Brightvale Setup')" ] && sleep 1 && kill -0 "$SETUP" 2>/dev/null; then return 0; fi
    echo "    the installer did not come up; its log:"
    sed 's/^/    | /' "$work/window-setup-$starts.log" | tail -20
    return 1
}

# wait_window NAME: the id of a visible window of that exact title, waiting up to 60 s.
wait_window() {
    local w
    for _ in $(seq 300); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.2
    done
    return 1
}

# ended_with PID: waits up to 20 s for the process and sets RC to its exit code, or "running". Run in
# this shell, not in a command substitution: only this shell can still wait for a process that has
# already ended.
ended_with() {
    RC=running
    for _ in $(seq 100); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            RC=$?
            return
        fi
        sleep 0.2
    done
}

shot() { sleep "${2:-1}"; import -window root "$shots/$1.png" 2>/dev/null; }
# click X Y: at a point of the wizard
click() { xdotool mousemove $((X0 + $1)) $((Y0 + $2)) click 1; }
# mae A B: normalised mean absolute error of two images of the same size (0 = equal)
mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed -E 's/.*\((.*)\).*/\1/'; }
# crop SHOT W H X Y: a region of a screenshot, written beside it
crop() { convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage "$shots/$1-$2x$3+$4+$5.png"; echo "$shots/$1-$2x$3+$4+$5.png"; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
pixel() { convert "$shots/$1.png" -format "%[pixel:p{$2,$3}]" info:; }

# The welcome page as the skins compose it: background, label picture, the logo on top. ImageMagick
# reads a TGA's rows in file order, bottom row first: each is flipped upright.
m=$disc/Media
tga() { echo "( $m/$1 -flip )"; }
# shellcheck disable=SC2046
convert $(tga back_install.tga) $(tga text_install.tga) -geometry +0+121 -composite \
    $(tga logoR.tga) -geometry +0+0 -composite -alpha off "$shots/reference-welcome.png"

echo "the welcome page"
new_world main
start_setup
win=$(wait_window 'Brightvale Setup')
expect_true "the window titled from APP_TITLE appears" test -n "$win"
xdotool mousemove 5 5
shot welcome 2
e=$(mae "$(crop welcome 550 440 $X0 $Y0)" "$shots/reference-welcome.png")
# The toolkit blends with alpha / 256 where ImageMagick divides by 255: a level or two on the
# label's soft edges, a mean error far below 0.01; another page or a shifted skin is above 0.04.
expect_true "the wizard at (237, 164) shows the welcome skin (mean error $e)" below "$e" 0.01
expect_eq "the screen around it is RGB(17, 42, 51)" "$(pixel welcome 5 300)" "srgb(17,42,51)"
expect_eq "above it too" "$(pixel welcome 600 100)" "srgb(17,42,51)"
expect_eq "and right of it" "$(pixel welcome 1000 300)" "srgb(17,42,51)"

echo "hovering a row"
# The README row: Install, the first row, shows the keyboard's focus already.
xdotool mousemove $((X0 + 100)) $((Y0 + 145))
shot hover 1
band=$(mae "$(crop hover 540 19 $((X0 + 10)) $((Y0 + 138)))" "$(crop welcome 540 19 $((X0 + 10)) $((Y0 + 138)))")
expect_true "the README row shows its highlight (change $band)" above "$band" 0.02
rest=$(mae "$(crop hover 550 100 $X0 $((Y0 + 240)))" "$(crop welcome 550 100 $X0 $((Y0 + 240)))")
expect_true "the rest of the page is unchanged" below "$rest" 0.001

echo "the licence page"
click 100 125
shot licence 1.5
convert "$m/back_license.tga" -flip -crop 320x90+230+5 +repage "$shots/reference-licence-band.png"
convert "$m/back_install.tga" -flip -crop 320x90+230+5 +repage "$shots/reference-welcome-band.png"
lb=$(crop licence 320 90 $((X0 + 230)) $((Y0 + 5)))
e=$(mae "$lb" "$shots/reference-licence-band.png")
expect_true "Install shows the licence page's title band (mean error $e)" below "$e" 0.01
e=$(mae "$lb" "$shots/reference-welcome-band.png")
expect_true "not the welcome page's ($e)" above "$e" 0.02
# The slider's thumb sits at the top of the scroll bar, right of the text.
xdotool mousemove $((X0 + 512)) $((Y0 + 114)) mousedown 1
sleep 0.3
for dy in 20 40 60 80; do xdotool mousemove $((X0 + 512)) $((Y0 + 114 + dy)); sleep 0.1; done
xdotool mouseup 1
xdotool mousemove 5 5
shot scrolled 1
t=$(mae "$(crop scrolled 470 180 $((X0 + 30)) $((Y0 + 115)))" "$(crop licence 470 180 $((X0 + 30)) $((Y0 + 115)))")
expect_true "dragging the slider scrolls the text (change $t)" above "$t" 0.005
click 100 350
shot declined 1.5
xdotool mousemove 5 5
shot declined 1
e=$(mae "$(crop declined 550 440 $X0 $Y0)" "$shots/reference-welcome.png")
expect_true "Decline returns to the welcome page ($e)" below "$e" 0.01
click 100 125
xdotool mousemove 5 5
shot again 1.5
t=$(mae "$(crop again 470 180 $((X0 + 30)) $((Y0 + 115)))" "$(crop scrolled 470 180 $((X0 + 30)) $((Y0 + 115)))")
expect_true "Install again shows the licence where it was left ($t)" below "$t" 0.001
# The wheel over the text (buttons 4 and 5 are its notches away from and towards the user).
xdotool mousemove $((X0 + 200)) $((Y0 + 200)) click --repeat 5 --delay 50 5
xdotool mousemove 5 5
shot wheeled 1
t=$(mae "$(crop wheeled 470 180 $((X0 + 30)) $((Y0 + 115)))" "$(crop again 470 180 $((X0 + 30)) $((Y0 + 115)))")
expect_true "the wheel towards the user scrolls the licence (change $t)" above "$t" 0.005
xdotool mousemove $((X0 + 200)) $((Y0 + 200)) click --repeat 5 --delay 50 4
xdotool mousemove 5 5
shot unwheeled 1
# The sample licence is short: the notches down reach its end, and as many up go past where it was.
t=$(mae "$(crop unwheeled 470 180 $((X0 + 30)) $((Y0 + 115)))" "$(crop wheeled 470 180 $((X0 + 30)) $((Y0 + 115)))")
expect_true "the wheel away from the user scrolls it back up (change $t)" above "$t" 0.005
click 100 350

echo "Exit"
sleep 1
click 100 185
ended_with "$SETUP"
expect_eq "Exit ends the program with 0" "$RC" 0
SETUP=

echo "an idle window is idle; minimising stops it all"
cp "$bin/window_ctl.exe" "$work/window-main/drive_c/window_ctl.exe"
# Wine's +bitmap channel prints one StretchDIBits line per frame of the wizard.
TRACE=,+bitmap start_setup
expect_true "the installer starts again" started
sleep 1
installer=$(pgrep -P "$SETUP" | head -1) # the installer's own process, below its timeout
cpu() { awk '{ print $14 + $15 }' "/proc/$installer/stat"; }
frames() { grep -ac "StretchDIBits $X0 $Y0 550 440 " "$work/window-setup-$starts.log"; }
# Ticks are hundredths of a second of CPU time over 3 s. A loop that drew without pause took about 65 %
# of a core here; one that waits for a change takes next to none.
xdotool mousemove 5 5
sleep 1
f0=$(frames); c0=$(cpu); sleep 3; c1=$(cpu); f1=$(frames)
xdotool mousemove $((X0 + 100)) $((Y0 + 125))
sleep 1
f2=$(frames)
xdotool mousemove 5 5
sleep 1
bounded 60 "window_ctl minimize" "$BV_WINE" 'C:\window_ctl.exe' minimize >/dev/null 2>&1
sleep 1
c2=$(cpu); sleep 3; c3=$(cpu)
f3=$(frames)
bounded 60 "window_ctl restore" "$BV_WINE" 'C:\window_ctl.exe' restore >/dev/null 2>&1
sleep 1.5
f4=$(frames)
c4=$(cpu); sleep 3; c5=$(cpu)
echo "    CPU ticks in 3 s: idle $((c1 - c0)), minimised $((c3 - c2)), restored $((c5 - c4)); frames: idle $((f1 - f0)), hover $((f2 - f1)), restoring $((f4 - f3))"
expect_true "idle, the welcome page takes almost no CPU" test $((c1 - c0)) -le 10
expect_true "idle, it draws no frame" test $((f1 - f0)) -le 1
expect_true "a hover draws" test $((f2 - f1)) -ge 1
expect_true "minimised, it neither draws nor spins" test $((c3 - c2)) -le 10
expect_true "restored, it draws again" test $((f4 - f3)) -ge 1
expect_true "and is idle again" test $((c5 - c4)) -le 10

echo "the game's engine window ends the installer"
cp "$bin/Brightvale.exe" "$work/window-main/drive_c/Brightvale.exe"
timeout 300 "$BV_WINE" 'C:\Brightvale.exe' >/dev/null 2>&1 &
game=$!
wait_window 'Orelwick engine' >/dev/null
# The game's window took the activation: a click on the installer's backdrop gives it back, and the
# active installer sees the game.
sleep 1
xdotool mousemove 1020 760 click 1
ended_with "$SETUP"
expect_eq "the installer ends with 0" "$RC" 0
SETUP=
kill "$game" 2>/dev/null
wine_stop

echo "skinned boxes answered by clicks"
new_world boxes
cp "$bin/show_boxes.exe" "$work/window-boxes/drive_c/show_boxes.exe"
timeout 300 "$BV_WINE" 'C:\show_boxes.exe' >/dev/null 2>&1 &
SETUP=$!
wait_window 'Brightvale Setup' >/dev/null
xdotool mousemove 5 5
shot box-ok 2
click 281 327
shot box-yes 1.5
click 208 327
shot box-no 1.5
click 359 327
ended_with "$SETUP"
expect_eq "OK, YES, NO give 1, 3, 4" "$RC" 134
SETUP=
wine_stop

echo "maintenance without its string table"
new_world maintenance
mkdir -p "$WINEPREFIX/drive_c/Games/Brightvale"
touch "$WINEPREFIX/drive_c/Games/Brightvale/install.log" "$WINEPREFIX/drive_c/Games/Brightvale/uninstall.exe"
wine_reg_add "$product" InstallDir 'C:\Games\Brightvale'
wine_reg_add "$product" MediaDir 'MediaFran'
# Once with the window channel traced, for the text of the box; once plainly, for the exit code.
wine_end
WINEDEBUG=-all,+win timeout 300 "$BV_WINE" 'D:\setup.exe' -CDPath D: >"$work/window-maintenance.log" 2>&1 &
SETUP=$!
box=$(wait_window 'Installation')
expect_true "a system box captioned with the first title appears" test -n "$box"
shot maintenance-box 1
expect_true "it says the string table cannot be loaded" \
    grep -aq 'Cannot load string table. Application will terminate.' "$work/window-maintenance.log"
kill "$SETUP" 2>/dev/null
wine_stop
sleep 1
start_setup
box=$(wait_window 'Installation')
sleep 1
if [ -n "$box" ]; then
    eval "$(xdotool getwindowgeometry --shell "$box")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 22)) click 1 # its OK button
fi
ended_with "$SETUP"
expect_eq "OK ends the program with 1" "$RC" 1
SETUP=

echo "a 200 % display, and a title in Cyrillic on a Western system"
# Disc 1 with its texts in UTF-16 and the title in Russian; the rest of the disc as it is.
cyr=$work/window-cyrillic-disc
rm -rf "$cyr"
cp -as "$disc" "$cyr"
rm "$cyr/Media/strings.txt"
title='Брайтвейл — установка'
{ printf '\xff\xfe'; sed "s/^APP_TITLE\t.*\r\$/APP_TITLE\t$title\r/" "$disc/Media/strings.txt" | iconv -f UTF-8 -t UTF-16LE; } \
    >"$cyr/Media/strings.txt"
bv_display_stop
unset DISPLAY
BV_SCREEN=2048x1536 bv_display || exit 1
wine_prefix "$work/template" "$work/window-hidpi"
wine_drive d "$cyr" cdrom
wine_reg_add "$product" ExeCDPath 'D:'
for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    bounded 60 "reg add of LogPixels" "$BV_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
done
start_setup
win=$(wait_window "$title")
expect_true "the window shows the title in Cyrillic, whole ($(xdotool getwindowname "${win:-0}" 2>/dev/null))" \
    test -n "$win" -a "$(xdotool getwindowname "${win:-0}" 2>/dev/null)" = "$title"
HX=474 # the wizard's corner on a 2048 x 1536 screen, at twice its size
HY=328
xdotool mousemove 5 5
shot hidpi 2
big=$(crop hidpi 1100 880 $HX $HY)
convert "$big" -sample 50% "$shots/hidpi-half.png"
convert "$shots/hidpi-half.png" -sample 200% "$shots/hidpi-doubled.png"
e=$(mae "$shots/hidpi-half.png" "$shots/reference-welcome.png")
expect_true "at 192 dpi the wizard at ($HX, $HY) is the welcome page at twice its size (mean error $e)" below "$e" 0.01
d=$(compare -metric AE "$big" "$shots/hidpi-doubled.png" null: 2>&1)
expect_eq "every wizard pixel is a 2 x 2 block of one colour (pixels that differ)" "$d" 0
expect_eq "the screen left of it is the surround" "$(pixel hidpi $((HX - 1)) 700)" "srgb(17,42,51)"
expect_eq "right of it too" "$(pixel hidpi $((HX + 1100)) 700)" "srgb(17,42,51)"
expect_eq "and below it" "$(pixel hidpi 1000 $((HY + 880)))" "srgb(17,42,51)"
# The Install row, clicked where the enlarged wizard shows it.
xdotool mousemove $((HX + 200)) $((HY + 250)) click 1
xdotool mousemove 5 5
shot hidpi-licence 1.5
convert "$(crop hidpi-licence 640 180 $((HX + 460)) $((HY + 10)))" -sample 50% "$shots/hidpi-licence-band.png"
e=$(mae "$shots/hidpi-licence-band.png" "$shots/reference-licence-band.png")
expect_true "a click on the enlarged Install row opens the licence page (mean error $e)" below "$e" 0.01
kill "$SETUP" 2>/dev/null
SETUP=
wine_stop

echo "    screenshots: $shots"
summary e2e-window

#!/usr/bin/env bash
# The whole installation under Wine against what a publisher would use instead and against the limit:
# the sample game padded to 256 MiB with incompressible data, on one disc made by mkdisc, installed by
# setup.exe (from the Install click on the options page to the quality page on screen), by an NSIS
# installer of the same files (uncompressed, amd64 stub, silent) and by xcopy, all in the same fresh
# prefix each round, and copied by a native `cp -r` into the same file system, best of 3. Also the time from starting D:\setup.exe to the welcome page's first frame on screen, and
# the frames per second of the idle welcome page (counted from Wine's trace of the presenting call).
#
# Run it on its own, as root, after scripts/setup-machine.sh, under the heavy-work lock (timings taken
# beside other builds or Wine runs mean nothing):
#     flock /tmp/bv-heavy.lock bash bench/whole_install.sh
# It builds what it needs (scripts/make-discs.sh), works in build/bench (its own sample, discs and Wine
# prefixes: never the tests' build/sample, build/discs or build/wine) and takes about two minutes
# once the builds are up to date. BV_BENCH_ROUNDS sets the number of rounds (3); BV_BENCH_KEEP=1 keeps
# the payload, its disc and the NSIS installer (about 800 MiB) in build/bench afterwards.
# The pages and the notice are recognised as bench/recognise.sh says (tests/e2e/window.sh checks it on
# screenshots). A run that fails names the round and the step, and still prints the rounds before it.
# BV_BENCH_PERF=1 profiles setup.exe's copy (the OK click to the quality page) of each round with a
# system-wide `perf record` into build/bench/perf-ROUND.data (`perf report -i FILE --sort comm,dso`);
# BV_BENCH_SETUP_DEBUG sets the WINEDEBUG of the timed setup.exe (-all), e.g. +timestamp,+file for a
# timeline of its file calls in build/bench/setup.log.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/support/wine.sh"
. "$top/bench/recognise.sh"
bench=$top/build/bench
rounds=${BV_BENCH_ROUNDS:-3}
mib=$((1 << 20))
payload_bytes=$((256 * mib))
X0=$REC_X0
Y0=$REC_Y0
OK_X=281
OK_Y=327
round=0
step="preparing"

# die MESSAGE: names the round and the step that failed, with a screenshot, and prints the figures of
# the rounds that completed (from the script itself, not from a subshell of it)
die() {
    if [ "$round" -gt 0 ]; then
        echo "whole_install: round $round, $step: $*" >&2
    else
        echo "whole_install: $step: $*" >&2
    fi
    [ -n "${DISPLAY:-}" ] && import -window root "$bench/failure.png" 2>/dev/null &&
        echo "whole_install: the screen at that moment: $bench/failure.png" >&2
    [ "$BASHPID" = $$ ] && [ "$round" -gt 1 ] && figures $((round - 1))
    exit 1
}
# now: the clock of xwatch and of Wine's +timestamp trace, in seconds
now() { "$xwatch" now; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }

# --- what the benchmark needs -------------------------------------------------------------------
mkdir -p "$bench"
sample=$bench/sample
bash "$top/scripts/make-discs.sh" "$bench/sample-discs" "$sample" >"$bench/make-discs.log" 2>&1 ||
    { tail -20 "$bench/make-discs.log"; die "scripts/make-discs.sh failed"; }
for tool in makensis xdotool convert cc; do
    command -v $tool >/dev/null || die "$tool is missing: run scripts/setup-machine.sh"
done
xwatch=$bench/xwatch
rec_build_xwatch "$xwatch" || die "cannot build xwatch (libx11-dev, and libxtst6, which xdotool brings)"

# The payload: the sample game and a folder of random bytes, 256 MiB together.
payload=$bench/payload
game=$payload/game
rm -rf "$payload" "$bench/discs" "$bench/disc-source"
mkdir -p "$payload"
cp -r "$sample/game" "$game"
have=$(find "$game" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
pad=$((payload_bytes - have))
mkdir -p "$game/video"
for name in intro chapter1 chapter2 chapter3; do
    n=$((64 * mib))
    [ "$name" = chapter3 ] && n=$((pad - 3 * 64 * mib))
    head -c "$n" /dev/urandom >"$game/video/$name.vid"
done
files=$(find "$game" -type f | wc -l)
# What the target folder holds after an installation: every file with its size (and its checksum
# in the first round).
(cd "$game" && find . -type f -printf '%P %s\n' | sort) >"$bench/expected-sizes"
(cd "$game" && find . -type f -exec md5sum {} + | sort -k2) >"$bench/expected-md5"

# One disc: the capacity holds the whole payload, so no disc change is timed.
src=$bench/disc-source
mkdir -p "$src"
cp -r "$sample/presets" "$src/"
cat >"$src/bench.disc" <<'EOF'
capacity    1G
main        Brightvale.exe
package     base.rar      readme.txt manual.txt
package     maps.rar      maps
package     data.rar      data
package     video.rar     video
preset      low           presets/low
preset      high          presets/high
label       BRIGHTVALE
EOF
"$top/build/native/bin/mkdisc" --game "$game" --media "$sample/media" --description "$src/bench.disc" \
    --programs "$top/build/win64/bin" --out "$bench/discs" >"$bench/mkdisc.log" 2>&1 ||
    { cat "$bench/mkdisc.log"; die "mkdisc failed"; }
[ -d "$bench/discs/disc1" ] && [ ! -d "$bench/discs/disc2" ] || die "the payload is not on one disc"
disc1=$bench/discs/disc1

# The NSIS installer of the same files: no compression, the 64-bit stub, no pages.
cat >"$payload/bench.nsi" <<'EOF'
Unicode true
Target amd64-unicode
SetCompress off
SilentInstall silent
RequestExecutionLevel user
Name "Brightvale"
OutFile "installer.exe"
InstallDir "C:\Games\NSIS"
Section
  SetOutPath "$INSTDIR"
  File /r "game\*"
SectionEnd
EOF
(cd "$payload" && makensis -V2 bench.nsi) >"$bench/makensis.log" 2>&1 || { cat "$bench/makensis.log"; die "makensis failed"; }
rm "$payload/bench.nsi"

rec_prepare "$sample/media/Media" "$bench/recognise" "$xwatch" || die "cannot take the references from the skins"

# --- Wine ----------------------------------------------------------------------------------------
wine_template "$bench/template"
bv_display || exit 1
keeper=
cleanup() {
    [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
    exec 3>&- 2>/dev/null
    wine_stop
    [ -n "${WINEPREFIX:-}" ] && "$BV_WINESERVER" -w 2>/dev/null
    bv_display_stop
    rm -rf "$bench/prefix" "$bench/keeper.fifo" "$bench/settle.tmp"
    [ "${BV_BENCH_KEEP:-0}" = 1 ] || rm -rf "$payload" "$bench/discs" "$bench/disc-source"
}
trap cleanup EXIT

# band NAME TIMEOUT INTERVAL_MS: waits until the wizard shows the page or the notice; prints the time
band() { rec_wait "$@"; }
# click_at X Y: a click in the wizard, the pointer parked afterwards
click_at() { xdotool mousemove $((X0 + $1)) $((Y0 + $2)) click 1 && rec_park; }
# sizes DIR / sums DIR: what an installation left, to compare with the payload; the installer's own
# journal and kept files (~setup-*) are not the payload's
sizes() { (cd "$1" && find . -type f ! -path './~setup-*' -printf '%P %s\n' | sort); }
sums() { (cd "$1" && find . -type f ! -path './~setup-*' -exec md5sum {} + | sort -k2); }
# check_target NAME DIR ROUND: the installation left exactly the payload
check_target() {
    if [ "$3" = 1 ]; then
        sums "$2" | cmp -s - "$bench/expected-md5" || die "$1 did not install the payload exactly ($2)"
    else
        sizes "$2" | cmp -s - "$bench/expected-sizes" || die "$1 did not install the payload ($2)"
    fi
}
# settle FILES-OR-FOLDERS...: before each timed run, nothing left to write back, the source in memory and free
# memory the writer can use at once. This machine is a virtual one that drops files nobody read for a
# minute from memory and whose host takes back free memory after a few seconds (writing into such pages
# again costs a fault on the host for each: a copy of 256 MiB ran at 300 MB/s instead of 3 GB/s, at
# random). So the source is read, and a file of 768 MiB written and deleted just before: as on a real
# computer with the disc's files cached and memory free, for all three alike.
settle() {
    sync
    find "$@" -type f -exec cat {} + >/dev/null
    head -c $((768 * mib)) /dev/zero >"$bench/settle.tmp"
    rm -f "$bench/settle.tmp"
}

# first_frame LOG WINEDEBUG: starts D:\setup.exe on a cleared screen and waits for the welcome page;
# prints the start and the time it was seen
first_frame() {
    local t0 seen
    "$xwatch" clear
    band install 0 0 >/dev/null 2>&1 && die "the screen still shows the welcome page"
    t0=$(now)
    WINEDEBUG=$2 "$BV_WINE" 'D:\setup.exe' >"$1" 2>&1 &
    seen=$(band install 30 2) || die "the welcome page did not come up"
    echo "$t0 $seen"
}

declare -a T_SETUP T_SETUP_RAW T_COPY T_NSIS T_XCOPY T_PLAIN T_CP T_FIRST T_FIRST_TRACE T_FPS T_NOTICE
# figures N: the best and the spread of the first N rounds, and the ratios
figures() {
    local n=$1 r
    # vals NAME: the first n values of the array NAME
    vals() { local -n a=$1; for r in $(seq "$n"); do echo "${a[r]}"; done; }
    # stats NAME: "best spread" (best the least)
    stats() { vals "$1" | sort -g | awk 'NR == 1 { b = $1 } { w = $1 } END { printf "%.3f %.3f", b, w - b }'; }
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
    verdict() { awk -v v="$1" -v g="$2" -v op="$3" 'BEGIN { ok = op == "<" ? v < g : v <= g; print ok ? "met" : "NOT met" }'; }
    local setup setup_spread nsis nsis_spread xcopy xcopy_spread cp cp_spread copy copy_spread first first_spread
    local first_trace first_trace_spread setup_raw setup_raw_spread notice fps_best fps_spread
    read -r setup setup_spread < <(stats T_SETUP)
    read -r copy copy_spread < <(stats T_COPY)
    read -r nsis nsis_spread < <(stats T_NSIS)
    read -r xcopy xcopy_spread < <(stats T_XCOPY)
    read -r cp cp_spread < <(stats T_CP)
    local plain plain_spread
    read -r plain plain_spread < <(stats T_PLAIN)
    read -r first first_spread < <(stats T_FIRST)
    read -r first_trace first_trace_spread < <(stats T_FIRST_TRACE)
    read -r setup_raw setup_raw_spread < <(stats T_SETUP_RAW)
    notice=$(vals T_NOTICE | sort -g | tail -1)
    fps_best=$(vals T_FPS | sort -g | tail -1)
    fps_spread=$(vals T_FPS | sort -g | awk 'NR == 1 { b = $1 } { w = $1 } END { print w - b }')
    local setup_vs_nsis setup_vs_xcopy setup_vs_cp
    # The copy against the others: what the player waits for once the notice is answered.
    setup_vs_nsis=$(ratio "$copy" "$nsis")
    setup_vs_xcopy=$(ratio "$copy" "$xcopy")
    setup_vs_cp=$(ratio "$copy" "$cp")

    echo
    [ "$n" -lt "$rounds" ] && echo "(the $n of $rounds rounds that completed)"
    echo "payload: $payload_bytes bytes in $files files ($pad of them random), one disc; best of $n rounds, spread = max - min"
    echo "setup: $setup s (spread $setup_spread): the click on Install on the options page to the notice on screen (polled every 2 ms), plus the click on its OK to the quality page's subtitle on screen (polled every 5 ms)"
    echo "setup_copy: $copy s (spread $copy_spread): of it, the click on the notice's OK to the quality page's subtitle on screen: the copy, with the pages before and after it (the ratios below are of this)"
    echo "setup_with_notice: $setup_raw s (spread $setup_raw_spread): the click on Install to the quality page, the notice answered at most $notice s after it showed"
    echo "nsis: $nsis s (spread $nsis_spread): wine64 P:\\installer.exe /S /D=C:\\Games\\NSIS, start to end of the process"
    echo "xcopy: $xcopy s (spread $xcopy_spread): wine64 xcopy /E /I /Q /Y P:\\game C:\\Games\\Xcopy, start to end of the process"
    echo "plain: $plain s (spread $plain_spread): a Windows program under Wine copying P:\\game to C:\\Games\\Plain with CreateFile, ReadFile and WriteFile of 1 MiB alone, timed in the process: the floor of any copy under Wine"
    echo "cp: $cp s (spread $cp_spread): native cp -r of the payload into the prefix's C: drive (the same file system), start to end of the process: the limit"
    echo "setup_vs_nsis: $setup_vs_nsis (goal at most 1.0: $(verdict "$setup_vs_nsis" 1.0 "<="))"
    echo "setup_vs_xcopy: $setup_vs_xcopy (goal below 1.0: $(verdict "$setup_vs_xcopy" 1.0 "<"))"
    echo "setup_vs_cp: $setup_vs_cp (goal at most 2.0: $(verdict "$setup_vs_cp" 2.0 "<="))"
    echo "plain_vs_cp: $(ratio "$plain" "$cp") (Wine's own cost over the native copy, which no program under it avoids)"
    echo "setup_vs_plain: $(ratio "$copy" "$plain") (the installer's cost over that floor)"
    echo "first_frame: $first s (spread $first_spread): from starting D:\\setup.exe (it relaunches itself from the temporary folder) to the welcome page's subtitle on screen, polled every 2 ms (goal at most 1 s: $(verdict "$first" 1.0 "<="))"
    echo "first_frame_call: $first_trace s (spread $first_trace_spread): to its first StretchDIBits of the wizard in Wine's +timestamp trace (1 ms steps); the first window of the prefix, so Wine starts its desktop process in this time too"
    echo "idle_fps: $fps_best frames/s (spread $fps_spread): StretchDIBits of the wizard in Wine's +bitmap trace over 5 s of the idle welcome page"
}
for r in $(seq "$rounds"); do
    round=$r
    step="making the round's prefix"
    wine_prefix "$bench/template" "$bench/prefix"
    wine_drive d "$disc1" cdrom
    wine_drive p "$payload" hd
    c=$WINEPREFIX/drive_c
    # A console program that waits keeps the prefix's server and Wine's own services running, as
    # Windows' are: nothing below pays for starting them.
    # Its input is a pipe this script holds open, so the pause never ends by itself.
    rm -f "$bench/keeper.fifo"
    mkfifo "$bench/keeper.fifo"
    exec 3<>"$bench/keeper.fifo"
    "$BV_WINE" cmd /c pause <"$bench/keeper.fifo" >/dev/null 2>&1 &
    keeper=$!
    sleep 3

    # The welcome page traced: Wine's +bitmap channel prints one StretchDIBits line for the wizard per
    # presented frame (and one for each of the three logos below it).
    step="the traced welcome page"
    read -r t0 seen < <(first_frame "$bench/trace.log" "-all,+timestamp,+bitmap")
    [ -n "${seen:-}" ] || die "the welcome page did not come up"
    sleep 7
    for p in $(wine_pids 'setup\.exe|\$\$\$[^ ]*\.tmp'); do kill "$p" 2>/dev/null; done
    sleep 1
    first_call=$(awk -F: '/nulldrv_StretchDIBits 237 164 550 440 / { print $1; exit }' "$bench/trace.log")
    T_FIRST_TRACE[r]=$(sub "$first_call" "$t0")
    # frames presented in the 5 s from 1 s after the first frame
    T_FPS[r]=$(awk -F: -v a="$first_call" '/nulldrv_StretchDIBits 237 164 550 440 / && $1 >= a + 1 && $1 < a + 6 { n++ }
        END { printf "%.0f", n / 5 }' "$bench/trace.log")

    # xcopy of the unpacked payload from P: into the prefix.
    step="xcopy"
    settle "$game"
    t0=$(now)
    "$BV_WINE" xcopy /E /I /Q /Y 'P:\game' 'C:\Games\Xcopy' >"$bench/xcopy.log" 2>&1 || die "xcopy failed"
    t1=$(now)
    t_xcopy=$(sub "$t1" "$t0")
    check_target xcopy "$c/Games/Xcopy" "$r"
    rm -rf "$c/Games/Xcopy"

    # The floor of any Windows program's copy under Wine: CreateFile, ReadFile and WriteFile of 1 MiB
    # and nothing else, timed inside the process (its start is not counted).
    step="the plain copy under Wine"
    settle "$game"
    cp "$top/build/win64/bin/bench_extract_win.exe" "$c/bench_extract_win.exe"
    t_plain=$("$BV_WINE" 'C:\bench_extract_win.exe' copy 'P:\game' 'C:\Games\Plain' 2>/dev/null | tr -d '\r')
    [[ "$t_plain" =~ ^[0-9.]+$ ]] || die "the plain copy failed"
    check_target plain "$c/Games/Plain" "$r"
    rm -rf "$c/Games/Plain" "$c/bench_extract_win.exe"

    # The limit: a native copy of the same files into the same file system, the prefix's C: drive.
    step="cp -r"
    mkdir -p "$c/Games"
    settle "$game"
    t0=$(now)
    cp -r "$game" "$c/Games/Cp" || die "cp failed"
    t1=$(now)
    t_cp=$(sub "$t1" "$t0")
    check_target cp "$c/Games/Cp" "$r"
    rm -rf "$c/Games/Cp"

    # The NSIS installer, silent, into C:\Games\NSIS.
    step="the NSIS installer"
    settle "$payload/installer.exe"
    t0=$(now)
    "$BV_WINE" 'P:\installer.exe' /S '/D=C:\Games\NSIS' >"$bench/nsis.log" 2>&1 || die "the NSIS installer failed"
    t1=$(now)
    t_nsis=$(sub "$t1" "$t0")
    check_target nsis "$c/Games/NSIS" "$r"
    rm -rf "$c/Games/NSIS"

    # setup.exe: started from D: (its first frame timed again, untraced), welcome, licence, options
    # with the default folder, Install; the notice answered OK as soon as it shows. The pointer is
    # parked away from the wizard before every wait: a row or button under it is drawn highlighted.
    sync
    step="setup.exe's welcome page"
    read -r t0 seen < <(first_frame "$bench/setup.log" "${BV_BENCH_SETUP_DEBUG:--all}")
    [ -n "${seen:-}" ] || die "the welcome page did not come up"
    t_first=$(sub "$seen" "$t0")
    click_at 280 127
    step="setup.exe's licence page"
    band license 20 10 >/dev/null || die "the licence page did not come up"
    click_at 275 336
    step="setup.exe's options page"
    band options 20 10 >/dev/null || die "the options page did not come up"
    target="$c/Program Files/Orelwick/Brightvale"
    [ ! -e "$target" ] || die "the target folder is there before the installation"
    # The time the notice stands until the click on its OK is ours, not the program's, and is left
    # out. The settling before the click on Install.
    step="setup.exe's checks to the notice"
    settle "$disc1"/*.rar
    xdotool mousemove $((X0 + 275)) $((Y0 + 187))
    # The click that starts a timed span is sent by xwatch, the clock read just before it goes out.
    t0=$("$xwatch" click) || die "xwatch cannot click"
    t_notice=$(band notice 40 2) || die "the notice did not come up"
    # How long the notice stays after the click: the program's reaction, counted in its time. Watched
    # where the emblem is, which the pointer on OK does not touch.
    step="setup.exe's copy"
    notice_args=($(rec_args notice | head -1))
    "$xwatch" differ "${notice_args[@]:0:4}" - "$REC_LIMIT" 40 10 >"$bench/notice-gone.t" &
    watcher=$!
    profiler=
    if [ "${BV_BENCH_PERF:-0}" = 1 ]; then
        perf record -a -q -o "$bench/perf-$r.data" >/dev/null 2>&1 &
        profiler=$!
        sleep 1
    fi
    xdotool mousemove $((X0 + OK_X)) $((Y0 + OK_Y))
    sleep 0.05
    t_ok=$("$xwatch" click) || die "xwatch cannot click"
    seen=$(band quality 300 5) || die "the quality page did not come up"
    # perf writes what it sampled when interrupted
    [ -n "$profiler" ] && kill -INT "$profiler" && wait "$profiler"
    wait "$watcher" || die "the notice did not go"
    t_gone=$(awk '{ print $1 }' "$bench/notice-gone.t")
    title_after=$(xdotool getwindowname "$(xdotool search --onlyvisible --name Brightvale | head -1)" 2>/dev/null)
    [ "$title_after" = "Brightvale Installation" ] || die "the quality page shows with the title: $title_after"
    step="checking setup.exe's installation"
    check_target setup.exe "$target" "$r"

    kill "$keeper" 2>/dev/null
    keeper=
    exec 3>&-
    wine_stop
    "$BV_WINESERVER" -w
    # The round's figures, kept only for a round that completed.
    T_SETUP[r]=$(awk -v a="$t0" -v n="$t_notice" -v k="$t_ok" -v s="$seen" 'BEGIN { printf "%.3f", (n - a) + (s - k) }')
    T_SETUP_RAW[r]=$(sub "$seen" "$t0")
    T_COPY[r]=$(sub "$seen" "$t_ok")
    T_NOTICE[r]=$(sub "$t_ok" "$t_notice")
    T_FIRST[r]=$t_first
    T_XCOPY[r]=$t_xcopy
    T_NSIS[r]=$t_nsis
    T_CP[r]=$t_cp
    T_PLAIN[r]=$t_plain
    printf 'round %d: setup %s s (checks to the notice %s s, OK to the notice gone %s s, to the quality page %s s), nsis %s s, xcopy %s s, plain %s s, cp %s s, first frame %s s (traced call %s s), idle %s frames/s\n' \
        "$r" "${T_SETUP[r]}" "$(sub "$t_notice" "$t0")" "$(sub "$t_gone" "$t_ok")" "${T_COPY[r]}" "${T_NSIS[r]}" "${T_XCOPY[r]}" "${T_PLAIN[r]}" "${T_CP[r]}" "${T_FIRST[r]}" "${T_FIRST_TRACE[r]}" "${T_FPS[r]}"
done
step="the figures"
figures "$rounds"


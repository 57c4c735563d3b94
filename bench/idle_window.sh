#!/usr/bin/env bash
# What the installer's window costs when nothing happens, and how often it draws while the copy runs,
# under Wine on the sample discs: the CPU share of the idle welcome page over 5 s (utime + stime of the
# installer's process from /proc), its frames in that time, and the most frames the progress page
# presented in any one second of the copy (Wine's +bitmap channel prints one StretchDIBits line of the
# wizard per frame, with +timestamp the time). Goals: under 2 % of a core, at most 30 frames a second.
#
#     flock /tmp/bv-heavy.lock bash bench/idle_window.sh
# Needs the win64 build (scripts/build.sh win64); makes the sample discs when they are stale and works
# in build/bench-idle.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/support/wine.sh"
. "$top/tests/support/check.sh"
work=$top/build/bench-idle
shots=$work/shots
skins=$top/build/sample/media/Media
disc=$top/build/discs/disc1
bin=$top/build/win64/bin
mkdir -p "$work" "$shots"
. "$top/tests/support/walk.sh"
if ! [ "$disc/cd1" -nt "$bin/setup.exe" ]; then
    bash "$top/scripts/make-discs.sh" >"$work/discs.log" 2>&1 || { tail -20 "$work/discs.log"; exit 1; }
fi
wine_template "$work/template"
bv_display || exit 1
trap 'for p in $(wine_pids "setup\.exe|-CDPath"); do kill "$p" 2>/dev/null; done; wine_stop; bv_display_stop' EXIT

wine_prefix "$work/template" "$work/prefix"
own_profile
wine_drive d "$disc" cdrom
walk_log=$work/trace.log
WINEDEBUG=-all,+debugstr,+timestamp,+bitmap timeout 600 "$BV_WINE" 'D:\setup.exe' >"$walk_log" 2>&1 &
wait_window || exit 1
sleep 3 # the relaunched copy from the temporary folder is the one that shows the window
pid=$(wine_pids '-CDPath' | head -1)
[ -n "$pid" ] || { echo "idle_window: the installer's process was not found"; exit 1; }
frames() { grep -ac "StretchDIBits $X0 $Y0 550 440 " "$walk_log"; }
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
xdotool mousemove 5 5
sleep 1
f0=$(frames); c0=$(cpu); t0=$(date +%s.%N)
sleep 5
c1=$(cpu); f1=$(frames); t1=$(date +%s.%N)
share=$(awk -v c=$((c1 - c0)) -v hz="$hz" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", 100 * c / hz / (b - a) }')
echo "idle_cpu: $share % of a core over 5 s of the idle welcome page"
echo "idle_frames: $((f1 - f0)) frames in those 5 s"

to_options
n0=$(frames)
start_copy || { echo "idle_window: the copy did not start"; exit 1; }
# The copy of the sample discs runs until the quality page (or a disc question) shows.
sleep 20
peak=$(grep -a "StretchDIBits $X0 $Y0 550 440 " "$walk_log" | tail -n +"$((n0 + 1))" |
    awk -F: '{ t[NR] = $1 } END { best = 0; j = 1; for (i = 1; i <= NR; i++) { while (t[i] - t[j] >= 1) j++; if (i - j + 1 > best) best = i - j + 1 } print best }')
echo "progress_fps: $peak frames in the busiest second of the copy (peak of a sliding 1 s window)"

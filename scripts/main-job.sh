#!/usr/bin/env bash
# The main job: builds everything, makes the two sample discs in build/discs and runs setup.exe from
# disc 1 (D:) under Wine (on the user's display when there is one, else on Xvfb): the first instance
# relaunches itself from the temporary folder, and the copy shows the wizard, which this script walks
# from the welcome page to the licence page, saving a screenshot of each.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/setup-machine.sh
bash scripts/make-discs.sh

. tests/support/wine.sh
work=$top/build/wine-main
shots=$top/build/main-job-screenshots
rm -rf "$shots"
mkdir -p "$work" "$shots"
wine_template "$work/template"
wine_prefix "$work/template" "$work/prefix"
disc=$top/build/discs/disc1
wine_drive d "$disc" cdrom
bv_display
trap 'wine_stop; bv_display_stop' EXIT

# The wizard's corner: the 550 x 440 wizard is centred in the work area.
read -r sw sh < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
x0=$(((sw - 550) / 2))
y0=$(((sh - 440) / 2))

echo "running D:\\setup.exe under Wine (prefix $WINEPREFIX)"
set +e
WINEDEBUG=-all,+process "$BV_WINE" 'D:\setup.exe' >"$work/setup.log" 2>&1
rc=$?
set -e
product='HKCU\SOFTWARE\Orelwick\Brightvale'
echo "first instance exit code: $rc"
echo "ExeCDPath: $(wine_reg_value "$product" ExeCDPath)"
echo "RunOnce:   $(wine_reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce' __OrelwickAdditionalInstallation__)"
echo "relaunched: $(grep -a 'CreateProcessInternalW app (null) cmdline' "$work/setup.log" | grep -a CDPath | sed 's/.*cmdline //' | head -1)"

# The relaunched copy opens the wizard.
win=
for _ in $(seq 150); do
    win=$(xdotool search --onlyvisible --name '^Brightvale Setup$' 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.2
done
if [ -z "$win" ]; then
    echo "the wizard did not appear"
    exit 1
fi
xdotool mousemove 5 5
sleep 2
import -window root "$shots/1-welcome.png"
echo "welcome page: $shots/1-welcome.png"
xdotool mousemove $((x0 + 100)) $((y0 + 125))
sleep 1
import -window root "$shots/2-welcome-install-row.png"
echo "the Install row under the pointer: $shots/2-welcome-install-row.png"
xdotool click 1
xdotool mousemove 5 5
sleep 2
import -window root "$shots/3-licence.png"
echo "licence page: $shots/3-licence.png"
echo "the screenshots are in $shots; the installer ends with this script"

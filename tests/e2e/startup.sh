#!/usr/bin/env bash
# Start-up and relaunch of the real setup.exe under Wine, started from a CD-ROM drive D:.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tests/support/wine.sh"
. "$top/tests/support/check.sh"
work=${BV_WORK:-$top/build/wine}
bin=$top/build/win64/bin
mkdir -p "$work"
wine_template "$work/template"
bv_display || exit 1
trap 'wine_stop; bv_display_stop' EXIT

product='HKCU\SOFTWARE\Orelwick\Brightvale'
runonce='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Runonce'

# new_world NAME: a fresh prefix with a disc folder on D: holding setup.exe and unrar.dll
new_world() {
    wine_prefix "$work/template" "$work/e2e-$1"
    disc=$work/e2e-$1-disc
    rm -rf "$disc"
    mkdir -p "$disc"
    cp "$bin/setup.exe" "$disc/setup.exe"
    printf 'MZ stand-in library for the start-up test' >"$disc/unrar.dll"
    wine_drive d "$disc" cdrom
}

# run_setup LOG ARGS...: runs D:\setup.exe and prints its exit code; the relaunched copy it may have
# started (which opens the wizard and waits) is ended with the prefix, once it has marked itself for
# deletion at the restart.
run_setup() {
    local log=$1
    shift
    WINEDEBUG=-all,+process bounded 120 "setup.exe $*" "$BV_WINE" 'D:\setup.exe' "$@" >"$log" 2>&1
    local rc=$?
    if grep -q 'CreateProcessInternalW.*-CDPath' "$log"; then
        for _ in $(seq 60); do
            bounded 30 "reg query of PendingFileRenameOperations" "$BV_WINE" reg query \
                'HKLM\System\CurrentControlSet\Control\Session Manager' \
                /v PendingFileRenameOperations 2>/dev/null | grep -qi 'unrar\.dll' && break
            sleep 1
        done
    fi
    wine_end
    echo "$rc"
}

echo "first instance from the disc"
new_world first
touch "$disc/cd1"
rc=$(run_setup "$work/e2e-first.log")
expect_eq "ends with 0" "$rc" 0
# Files first: the next start of the prefix's server counts as a restart of Windows for them.
temp=$(wine_temp_dir)
private=$(ls -d "$temp"/Brightvale-Setup.* 2>/dev/null | head -1)
expect_true "a folder of its own in the temporary folder, named at random ($(basename "${private:-none}"))" \
    grep -qE '^Brightvale-Setup\.[0-9a-f]{32}$' <<<"$(basename "${private:-none}")"
copy=$(ls "$private"/\$\$\$*.tmp 2>/dev/null | head -1)
expect_true "a \$\$\$ copy of setup.exe in it" cmp -s "$copy" "$bin/setup.exe"
expect_true "unrar.dll copied beside it" cmp -s "$private/unrar.dll" "$disc/unrar.dll"
expect_true "and not into the temporary folder itself" test ! -e "$temp/unrar.dll"
# The command line as Wine's trace shows it: backslashes and quotes escaped.
expected="\"C:\\users\\$(id -un)\\Temp\\$(basename "${private:-none}")\\$(basename "${copy:-none}")\"  -CDPath D:"
traced=$(sed 's/\\/\\\\/g; s/"/\\"/g' <<<"$expected")
relaunch=$(grep 'CreateProcessInternalW' "$work/e2e-first.log" | grep -F "$(basename "${copy:-none}")" | head -1)
expect_true "the copy is started by its full path with -CDPath and the drive" grep -qF "cmdline L\"$traced\"" <<<"$relaunch"
[ "$BV_FAILED" -gt 0 ] && echo "    relaunch line: $relaunch"
expect_eq "ExeCDPath" "$(wine_reg_value "$product" ExeCDPath)" "D:"
expect_eq "no RunOnce entry: the finishing steps arm it when a program is due" \
    "$(wine_reg_value "$runonce" __OrelwickAdditionalInstallation__)" ""
expect_true "the relaunched copy is gone after the restart" test ! -e "$copy"
expect_true "and the library beside it" test ! -e "$private/unrar.dll"
expect_true "and its folder" test ! -e "$private"
rc=$(run_setup "$work/e2e-first-again.log")
again=$(ls -d "$temp"/Brightvale-Setup.* 2>/dev/null | head -1)
expect_true "the next start makes a folder of another name" \
    bash -c "[ -n '$again' ] && [ '$(basename "${again:-x}")' != '$(basename "${private:-x}")' ]"

echo "second instance while the mutex is held"
new_world second
touch "$disc/cd1"
cp "$bin/hold_mutex.exe" "$disc/"
timeout 120 "$BV_WINE" 'D:\hold_mutex.exe' 60000 >"$work/e2e-holder.log" 2>&1 &
holder=$!
for _ in $(seq 300); do grep -q '^held' "$work/e2e-holder.log" && break; sleep 0.2; done
expect_true "the mutex is held by another program" grep -q '^held' "$work/e2e-holder.log"
rc=$(WINEDEBUG=-all bounded 120 "setup.exe beside the held mutex" "$BV_WINE" 'D:\setup.exe'; echo $?)
expect_eq "ends with 0" "$rc" 0
expect_eq "writes nothing" "$(wine_reg_value "$product" ExeCDPath)" ""
kill "$holder" 2>/dev/null
wine_stop

echo "additional installation"
new_world additional
bounded 60 "reg add ExeCDPath" "$BV_WINE" reg add "$product" /v ExeCDPath /t REG_SZ /d 'D:' /f >/dev/null 2>&1
rc=$(run_setup "$work/e2e-add1.log" -AdditionalInstall -CDPath 'D:')
expect_eq "without InstallDir ends with 1" "$rc" 1
mkdir -p "$WINEPREFIX/drive_c/Games/Brightvale"
printf '\001%.0s' $(seq 16) >"$WINEPREFIX/drive_c/Games/Brightvale/addinstf.bin"
bounded 60 "reg add InstallDir" "$BV_WINE" reg add "$product" /v InstallDir /t REG_SZ /d 'C:\Games\Brightvale' /f >/dev/null 2>&1
# Wine's file trace shows that the ending comes from reading the marker.
rc=$(WINEDEBUG=-all,+file bounded 120 "setup.exe -AdditionalInstall with a complete marker" \
    "$BV_WINE" 'D:\setup.exe' -AdditionalInstall -CDPath 'D:' >"$work/e2e-add2.log" 2>&1
    echo $?)
bounded 60 "waiting for the prefix after -AdditionalInstall" "$BV_WINESERVER" -w
expect_eq "with a complete marker ends with 0" "$rc" 0
expect_true "the marker is read" grep -qiF 'C:\\Games\\Brightvale\\addinstf.bin' "$work/e2e-add2.log"

echo "no disc, the user answers No"
new_world nodisc
WINEDEBUG=-all timeout 120 "$BV_WINE" 'D:\setup.exe' >/dev/null 2>&1 &
setup=$!
box=
for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^$' 2>/dev/null | while read -r w; do
        g=$(xdotool getwindowgeometry "$w" | awk '/Geometry/ { print $2 }')
        [ "$g" != "1024x768" ] && echo "$w"
    done | tail -1)
    [ -n "$box" ] && break
    sleep 0.2
done
expect_true "the disc question is shown" test -n "$box"
import -window root "$work/e2e-nodisc.png" 2>/dev/null
# No, sent until the program ends (a key sent while the box takes the focus can be lost), for 30 s
rc=running
for _ in $(seq 60); do
    kill -0 "$setup" 2>/dev/null || { wait "$setup"; rc=$?; break; }
    [ -n "$box" ] && xdotool key --window "$box" alt+n 2>/dev/null
    sleep 0.5
done
[ "$rc" = running ] && kill "$setup" 2>/dev/null
expect_eq "ends with 0" "$rc" 0
expect_eq "writes no ExeCDPath" "$(wine_reg_value "$product" ExeCDPath)" ""
expect_eq "writes no RunOnce entry" "$(wine_reg_value "$runonce" __OrelwickAdditionalInstallation__)" ""
expect_eq "copies nothing to the temporary folder" "$(ls "$(wine_temp_dir)" 2>/dev/null | grep -c -e unrar.dll -e '\$\$\$')" 0

summary e2e-startup

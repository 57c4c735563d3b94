# Wine harness, sourced by the Windows test tiers and the main job.
# One template prefix per run (the first boot takes about ten seconds), copied for every test prefix.
BV_WINE=/usr/lib/wine/wine64
BV_WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# bounded SECONDS STEP COMMAND...: COMMAND, ended when it runs longer than SECONDS (and killed 10 s later
# if it will not go), so that a hang fails the run instead of stalling it. A bound reached is told on
# stderr, naming STEP, and noted in $BV_BOUND_LOG when that is set (check.sh sets it): the script's
# summary counts it as a failure, also when it happened in a command substitution. Returns COMMAND's
# status, or 124 when the bound was reached.
# The script's own stderr, kept for that notice: the callers send the commands' stderr to /dev/null.
exec {BV_TELL}>&2
bounded() {
    local secs=$1 step=$2 t0=$SECONDS rc
    shift 2
    timeout -k 10 "$secs" "$@"
    rc=$?
    if [ "$rc" -eq 124 ] || { [ "$rc" -eq 137 ] && [ $((SECONDS - t0)) -ge "$secs" ]; }; then
        echo "  TIMEOUT $step: no end within $secs s" >&"$BV_TELL"
        [ -n "${BV_BOUND_LOG:-}" ] && echo "$step: no end within $secs s" >>"$BV_BOUND_LOG"
        return 124
    fi
    return "$rc"
}

# wine_template DIR: a booted prefix in DIR, made once.
wine_template() {
    if [ ! -f "$1/.bv-ready" ]; then
        rm -rf "$1"
        mkdir -p "$(dirname "$1")"
        local booted=1
        WINEPREFIX="$1" bounded 300 "wineboot of the template prefix" "$BV_WINE" wineboot -i >/dev/null 2>&1
        [ $? -eq 124 ] && booted=0
        WINEPREFIX="$1" bounded 120 "the template prefix's processes ending" "$BV_WINESERVER" -w
        [ $? -eq 124 ] && booted=0
        # A boot cut short is no template: the next run boots afresh.
        [ $booted = 1 ] && touch "$1/.bv-ready"
    fi
}

# wine_prefix TEMPLATE DIR: a fresh copy of the template; WINEPREFIX points at it afterwards.
# The last prefix loses its Windows folder (nine tenths of its size, and never looked at once its test is
# over), so that a run's hundred prefixes fit on the disk; BV_KEEP_PREFIXES=1 keeps them whole.
wine_prefix() {
    if [ -n "${WINEPREFIX:-}" ]; then
        bounded 60 "ending the last prefix" "$BV_WINESERVER" -k 2>/dev/null
        # Only a test prefix of this work folder (a WINEPREFIX of the user's own is never touched), and
        # never the template itself (every prefix carries its ready mark, copied with it).
        if [ "${BV_KEEP_PREFIXES:-0}" != 1 ] && [ -f "$WINEPREFIX/system.reg" ] &&
            [ "$(dirname "$(realpath -m "$WINEPREFIX")")" = "$(dirname "$(realpath -m "$2")")" ] &&
            [ "$(realpath -m "$WINEPREFIX")" != "$(realpath -m "$1")" ] &&
            [ "$(realpath -m "$WINEPREFIX")" != "$(realpath -m "$2")" ]; then
            bounded 60 "waiting for the last prefix to end" "$BV_WINESERVER" -w 2>/dev/null
            rm -rf "$WINEPREFIX/drive_c/windows"
        fi
    fi
    rm -rf "$2"
    cp -a "$1" "$2"
    export WINEPREFIX="$2"
}

# wine_drive LETTER FOLDER TYPE: maps a drive letter to a folder; TYPE is cdrom or hd.
# The mount manager reads drive types when it starts, so the prefix's server is restarted.
wine_drive() {
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"
    bounded 60 "reg add of drive $1:" "$BV_WINE" reg add 'HKLM\Software\Wine\Drives' /v "$1:" /t REG_SZ /d "$3" /f >/dev/null 2>&1
    bounded 60 "ending the prefix after mapping $1:" "$BV_WINESERVER" -k 2>/dev/null
    bounded 60 "waiting for the prefix after mapping $1:" "$BV_WINESERVER" -w 2>/dev/null
}

# wine_reg_value KEY NAME: the data of a REG_SZ value, empty when absent.
wine_reg_value() {
    bounded 60 "reg query of $1 $2" "$BV_WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v n="$2" '$1 == n && $2 == "REG_SZ" { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]+/, ""); print; exit }'
}

# wine_reg_add KEY NAME DATA: sets a REG_SZ value
wine_reg_add() {
    bounded 60 "reg add $1 $2" "$BV_WINE" reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

wine_temp_dir() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Temp"; }

wine_stop() { [ -n "${WINEPREFIX:-}" ] && bounded 60 "ending the prefix" "$BV_WINESERVER" -k 2>/dev/null; true; }
# wine_end: ends every process of the prefix and waits until they are gone
wine_end() {
    bounded 60 "ending the prefix" "$BV_WINESERVER" -k 2>/dev/null
    bounded 60 "waiting for the prefix to end" "$BV_WINESERVER" -w 2>/dev/null
}

# wine_pids PATTERN: the Unix processes of this prefix whose command line matches the extended
# regular expression (without regard to case)
wine_pids() {
    local p
    for p in /proc/[0-9]*; do
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qiE -e "$1" && basename "$p"
    done
}

# An X display for programs that show windows: the user's when there is one, else Xvfb (BV_SCREEN wide
# and high, 1024x768 unless set). Xvfb picks a
# free display number itself and writes it to the descriptor -displayfd names once it listens: a number
# chosen here by looking at /tmp/.X11-unix could be taken by another run between the look and the start.
bv_display() {
    if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then return 0; fi
    local told n=
    told=$(mktemp) || return 1
    Xvfb -displayfd 3 -screen 0 "${BV_SCREEN:-1024x768}x24" -nolisten tcp -noreset 3>"$told" >/dev/null 2>&1 &
    BV_XVFB_PID=$!
    for _ in $(seq 100); do
        # the number with its newline: written whole
        [ "$(wc -l <"$told")" -ge 1 ] && n=$(head -1 "$told") && break
        kill -0 "$BV_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$told"
    if ! [[ "$n" =~ ^[0-9]+$ ]]; then
        echo "Xvfb did not start" >&2
        bv_display_stop
        return 1
    fi
    export DISPLAY=":$n"
}

bv_display_stop() { [ -n "${BV_XVFB_PID:-}" ] && kill "$BV_XVFB_PID" 2>/dev/null; BV_XVFB_PID=; true; }

# The common start of the Wine end-to-end scripts that drive the wizard (sourced with $top set): the
# harness, the checks and the wizard driving, then e2e_begin.
. "$top/tests/support/wine.sh"
. "$top/tests/support/check.sh"
. "$top/tests/support/walk.sh"

# discs_fresh: the sample discs are there and were made after the setup.exe and mkdisc just built
# (test-all.sh makes them afresh for every run; a script run on its own makes them when they are stale).
discs_fresh() {
    [ -f "$top/build/discs/disc1/cd1" ] && [ "$top/build/discs/disc1/cd1" -nt "$top/build/win64/bin/setup.exe" ] &&
        [ "$top/build/discs/disc1/cd1" -nt "$top/build/native/bin/mkdisc" ]
}

# e2e_begin NAME: the work folder, NAME's screenshot folder, the built programs and skins, the sample
# discs (made when missing or stale), the template prefix and a display. On exit the prefix is ended, the small
# drive $small unmounted when a test mounted it, and the display stopped.
e2e_begin() {
    work=${BV_WORK:-$top/build/wine}
    shots=${BV_SHOTS:-$work/$1-shots}
    bin=$top/build/win64/bin
    discs=$top/build/discs
    skins=$top/build/sample/media/Media
    small=$work/$1-tmpfs
    mkdir -p "$work" "$shots"
    discs_fresh || bash "$top/scripts/make-discs.sh" >"$work/$1-discs.log" 2>&1 ||
        { tail -20 "$work/$1-discs.log"; echo "the sample discs could not be made"; exit 1; }
    wine_template "$work/template"
    bv_display || exit 1
    trap e2e_end EXIT
}
e2e_end() {
    wine_stop
    mountpoint -q "$small" 2>/dev/null && umount "$small"
    bv_display_stop
}

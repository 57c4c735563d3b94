# What the whole-install benchmark recognises on screen, sourced by it and by its test
# (tests/e2e/window.sh): the wizard's pages and the virus-scanner notice, each told by parts of its
# skin that nothing drawn over the skin and no pointer can change. A page by its subtitle band (below
# the game's name, which all pages but the welcome page share); the notice by the box's emblem and by
# the plain box left of its OK, where a question's Yes button would be. The OK itself, drawn in its
# hover state while the pointer rests on it, and the texts are left out.
#
#   rec_build_xwatch OUT           builds bench/xwatch.c into OUT
#   rec_prepare SKINS DIR XWATCH   the references from the rendered skins (Media folder) into DIR
#   rec_wait NAME TIMEOUT INTERVAL_MS   the pointer parked, waits until NAME shows; prints the time
#   rec_shows NAME SCREENSHOT      true when the saved screenshot shows NAME
REC_X0=237 # the wizard's corner on a 1024 x 768 screen
REC_Y0=164
# The mean difference per channel a match allows: 0 when shown; the bands of two pages differ by 12 or
# more, the notice from a question or a bare page by more than 20.
REC_LIMIT=2
REC_NAMES="install license options progress quality notice"
REC_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# rec_build_xwatch OUT: Xlib, and libXtst (which xdotool brings) for its clicks; its one call of that
# library is declared in xwatch.c, so no headers are needed for it.
rec_build_xwatch() {
    cc -O2 -Wall -Wextra -o "$1" "$REC_HERE/xwatch.c" -lX11 -l:libXtst.so.6
}

# rec_regions NAME: "SKIN X Y W H" a line, in the wizard's (and the skin's) coordinates
rec_regions() {
    case "$1" in
    install | license | options | progress | quality) echo "back_$1.tga 200 80 200 20" ;;
    notice)
        echo "msg_back.tga 130 150 290 85" # the emblem between the caption and the message
        echo "msg_back.tga 130 316 78 24"  # left of the OK button
        ;;
    *) return 1 ;;
    esac
}

rec_prepare() {
    REC_DIR=$2
    REC_XWATCH=$3
    mkdir -p "$REC_DIR"
    local name skin x y w h i
    for name in $REC_NAMES; do
        i=0
        while read -r skin x y w h; do
            i=$((i + 1))
            # The skins are stored bottom-up: -auto-orient reads them the way they are shown. Where the
            # regions lie the skins are opaque, so their colours are what the screen shows.
            convert "$1/$skin" -auto-orient -crop "${w}x$h+$x+$y" +repage -alpha off -depth 8 \
                "rgb:$REC_DIR/$name-$i.rgb" || return 1
        done < <(rec_regions "$name")
    done
}

# rec_args NAME: the rectangles and references as xwatch takes them, in screen coordinates
rec_args() {
    local skin x y w h i=0
    while read -r skin x y w h; do
        i=$((i + 1))
        echo "$((REC_X0 + x)) $((REC_Y0 + y)) $w $h $REC_DIR/$1-$i.rgb"
    done < <(rec_regions "$1")
}

# rec_park: the pointer away from the wizard, so that no row or button under it is drawn highlighted
rec_park() { xdotool mousemove 0 0; }

rec_wait() {
    local args first
    args=($(rec_args "$1")) || return 2
    [ ${#args[@]} -ge 5 ] || return 2
    first=("${args[@]:0:5}")
    rec_park
    local out
    out=$("$REC_XWATCH" match "${first[@]}" "$REC_LIMIT" "$2" "$3" "${args[@]:5}") || return 1
    echo "${out%% *}"
}

rec_shows() {
    local ppm
    ppm=$(mktemp "${TMPDIR:-/tmp}/rec.XXXXXX") || return 2
    convert "$2" -depth 8 "ppm:$ppm" || { rm -f "$ppm"; return 2; }
    local args
    args=($(rec_args "$1"))
    "$REC_XWATCH" check "$ppm" "$REC_LIMIT" "${args[@]}" >/dev/null
    local rc=$?
    rm -f "$ppm"
    return $rc
}

#!/usr/bin/env bash
# Seeds the TGA corpus: the rendered skins (24- and 32-bit) and a few hand-made headers.
set -eu
out=$1
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bash "$top/scripts/render-skins.sh" "$top/sample/skins" "$tmp"
for f in "$tmp/Media/text_icon_on.tga" "$tmp/Media/edit_cursor.tga" "$tmp/Media/scroller.tga" \
    "$tmp/Media/msg_button_over.tga" "$tmp/MainMedia/logoL.tga"; do
    cp "$f" "$out/"
done
printf '\000\000\002\000\000\000\000\000\000\000\000\000\003\000\002\000\030\000abcdefghijklmnopqr' >"$out/small24.tga"
printf '\004\000\002\000\000\000\000\000\000\000\000\000\002\000\002\000\040\010idid0123456789abcdef' >"$out/id32.tga"

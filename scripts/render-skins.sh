#!/usr/bin/env bash
# Renders the skin sources (SVG) into the uncompressed, bottom-up TGA images the installer reads.
#   render-skins.sh SOURCE_DIR OUT_DIR     (SOURCE_DIR holds skins.txt and the folders of SVGs)
set -eu
src=$1
out=$2
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
while read -r name size depth; do
    case "$name" in '' | \#*) continue ;; esac
    w=${size%x*}
    h=${size#*x}
    svg=$src/${name%.tga}.svg
    mkdir -p "$out/$(dirname "$name")"
    rsvg-convert -w "$w" -h "$h" -o "$tmp/x.png" "$svg"
    # ImageMagick writes TGA rows in the order it holds them, top row first, under a header that
    # says bottom-left origin: flipped first, the file's rows run bottom-up as the header says.
    if [ "$depth" = 24 ]; then
        # Opaque: whatever is transparent shows the backdrop colour.
        "$convert" "$tmp/x.png" -flip -background '#112a33' -alpha remove -alpha off -type TrueColor -depth 8 \
            -compress None "$out/$name"
    else
        "$convert" "$tmp/x.png" -flip -alpha on -type TrueColorAlpha -depth 8 -compress None "$out/$name"
    fi
done <"$src/skins.txt"

#!/usr/bin/env bash
# Makes the two sample discs in build/discs from the sample game: builds what they need (native
# tools, the win64 programs), assembles the game, media and description in build/sample and runs
# mkdisc. Run scripts/setup-machine.sh first on a fresh machine.
# Usage: make-discs.sh [DISCS SAMPLE]: other folders for the discs and the assembled sample (the
# benchmarks keep theirs apart from the tests').
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
discs=${1:-$top/build/discs}
sample=${2:-$top/build/sample}
mkdir -p build "$(dirname "$sample")"
log=$(dirname "$sample")/make-discs-build.log
bash scripts/build.sh native win64 >"$log" 2>&1 || { cat "$log"; exit 1; }

rm -rf "$sample"
mkdir -p "$sample"
cp -r sample/game sample/presets "$sample/"
cp build/win64/bin/Brightvale.exe "$sample/game/"
build/native/bin/sample_data "$sample/game"
cp build/win64/bin/BrightvaleExtras.exe "$sample/"
cp sample/brightvale.disc "$sample/"
mkdir -p "$sample/media"
cp -r sample/media/. "$sample/media/"
bash scripts/render-skins.sh sample/skins "$sample/media"

build/native/bin/mkdisc --game "$sample/game" --media "$sample/media" --description "$sample/brightvale.disc" \
    --programs build/win64/bin --out "$discs"

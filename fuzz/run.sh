#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, each with a corpus seeded at run time.
# Prints "fuzz: N passed, N failed" (one per target).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$top/build/fuzz/bin
seconds=${BV_FUZZ_SECONDS:-30}
work=$top/build/fuzz/corpus
passed=0
failed=0

rm -rf "$work"
mkdir -p "$work/rar" "$work/src"
"$bin/seed_rar" "$work/rar"
printf 'Brightvale' >"$work/src/a.txt"
mkdir -p "$work/src/dir" && printf 'x%.0s' $(seq 200) >"$work/src/dir/b.txt"
(cd "$work/src" && rar a -idq -m0 -r "$work/rar/seed5.rar" a.txt dir && rar a -idq -m3 "$work/rar/packed5.rar" a.txt)

run() { # name corpus
    local log=$top/build/fuzz/$1.log
    if "$bin/$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$2" >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "  ok   $1 ($(grep -o 'Done [0-9]* runs' "$log" | tail -1))"
    else
        failed=$((failed + 1))
        echo "  FAIL $1"
        tail -30 "$log"
    fi
}
run fuzz_rar_reader "$work/rar"
mkdir -p "$work/tga"
bash "$top/fuzz/seed_tga.sh" "$work/tga"
run fuzz_tga "$work/tga"

# The blit target takes 40 bytes of placement, source rectangle and clip before the image.
mkdir -p "$work/blit"
i=0
for params in '\000\000\000\200\000\000\000\000\000\000\000\000\000\000\000\000\020\000\000\000\020\000\000\000\100\000\000\000\060\000\000\000\100\000\000\000\060\000\000\000' \
    '\375\377\377\377\005\001\000\000\002\000\000\000\002\000\000\000\377\377\377\177\036\000\000\000\377\000\000\000\177\000\000\000\010\000\000\000\010\000\000\000'; do
    for f in "$work/tga"/*.tga; do
        { printf "$params"; cat "$f"; } >"$work/blit/$i-$(basename "$f")"
    done
    i=$((i + 1))
done
run fuzz_tga_blit "$work/blit"

# strings.txt in both encodings: the sample's ANSI table and the same table as UTF-16LE with its mark.
mkdir -p "$work/strings"
cp "$top/sample/media/Media/strings.txt" "$work/strings/ansi.txt"
{ printf '\377\376'; iconv -f CP1252 -t UTF-16LE "$top/sample/media/Media/strings.txt"; } >"$work/strings/utf16.txt"
printf 'APP_TITLE Brightvale\r\nSOURCE1 cd1:base.rar 100\r\n' >"$work/strings/small.txt"
run fuzz_strings "$work/strings"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

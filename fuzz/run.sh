#!/usr/bin/env bash
# Runs every fuzz target for a bounded time with a corpus seeded from archives of both formats.
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
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

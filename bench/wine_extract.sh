#!/usr/bin/env bash
# The Windows half of bench_extract: bench_extract_win.exe (with unrar.dll beside it) in a fresh
# prefix of the Wine harness. Usage: wine_extract.sh EXE ROUNDS. Take the heavy-work lock around it.
# It works in build/bench, the benchmarks' own folder, never in the tests' build/wine.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tests/support/wine.sh"
work=$top/build/bench
mkdir -p "$work"
wine_template "$work/template"
wine_prefix "$work/template" "$work/extract-prefix"
trap 'wine_stop' EXIT
timeout 900 "$BV_WINE" "$1" "${2:-5}" | tr -d '\r'

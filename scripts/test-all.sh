#!/usr/bin/env bash
# Every test tier: native (plain and under ASan/UBSan), win (GoogleTest under Wine) and e2e
# (setup.exe under Wine). Installs what is missing first. Ends with one "N passed, N failed" line.
set -u
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/setup-machine.sh || { echo "machine set-up failed"; exit 1; }
bash scripts/build.sh native native-asan win64 win32 fuzz >build.log 2>&1 || { cat build.log; echo "build failed"; exit 1; }
grep -E 'warning:' build.log && echo "(build warnings above)"

export BV_WORK=$top/build/wine
rm -rf "$BV_WORK"
total_passed=0
total_failed=0
tally() { # tier log
    local line
    line=$(grep -E '^[a-z0-9-]+: [0-9]+ passed, [0-9]+ failed$' "$2" | tail -1)
    local p f
    p=$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")
    f=$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$line")
    total_passed=$((total_passed + ${p:-0}))
    total_failed=$((total_failed + ${f:-1}))
}
ctest_tier() { # name preset
    local log=build/$1.log
    ctest --preset "$2" -j2 >"$log" 2>&1
    local rc=$?
    grep -E 'tests passed|Failed|\*\*\*' "$log"
    local all failed
    all=$(sed -nE 's/.* tests failed out of ([0-9]+)/\1/p' "$log")
    failed=$(sed -nE 's/.*, ([0-9]+) tests failed out of.*/\1/p' "$log")
    [ $rc -ne 0 ] && [ "${failed:-0}" -eq 0 ] && failed=1
    echo "$1: $(( ${all:-0} - ${failed:-0} )) passed, ${failed:-0} failed" | tee -a "$log"
}
status=0
for tier in native native-asan; do
    echo "== $tier"
    ctest_tier "$tier" "$tier" || status=1
    tally "$tier" "build/$tier.log"
done
echo "== fuzz"
bash fuzz/run.sh | tee build/fuzz.log
tally fuzz build/fuzz.log
echo "== win"
bash tests/win/run.sh | tee build/win.log
tally win build/win.log
for t in tests/e2e/*.sh; do
    echo "== e2e $(basename "$t" .sh)"
    bash "$t" 2>&1 | grep -v XGetInputFocus | tee "build/e2e-$(basename "$t" .sh).log"
    tally e2e "build/e2e-$(basename "$t" .sh).log"
done
echo
echo "all tiers: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]

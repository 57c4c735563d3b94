#!/usr/bin/env bash
# Every test tier: native (plain and under ASan/UBSan), fuzz, win (GoogleTest under Wine) and e2e
# (setup.exe under Wine). Installs what is missing first. A tier counts only when it ran as it should:
# it printed its "NAME: N passed, N failed" line, none failed or was skipped, at least its floor passed
# and it exited 0 within its bound. Then the run ends with "all tiers: N passed, N failed"; otherwise
# it says which tier fell short and why, and exits non-zero.
set -u -o pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

# The heavy-work lock the benchmarks and the developers' builds take, held for the whole run: timings
# and Wine runs beside another build mean nothing. A run started under it ("flock /tmp/bv-heavy.lock
# bash scripts/test-all.sh") must not wait for itself: it is taken here only when neither the
# environment (BV_HEAVY_LOCK_HELD=1) nor an ancestor process holds it.
lock=/tmp/bv-heavy.lock
held_by_ancestor() {
    local inode holders p
    inode=$(stat -c %i "$lock" 2>/dev/null) || return 1
    holders=$(awk -v i="$inode" '$2 == "FLOCK" { n = split($6, f, ":"); if (f[n] == i) print $5 }' /proc/locks)
    [ -n "$holders" ] || return 1
    p=$$
    while [ -n "$p" ] && [ "$p" -gt 1 ]; do
        grep -qx "$p" <<<"$holders" && return 0
        p=$(awk '$1 == "PPid:" { print $2 }' "/proc/$p/status" 2>/dev/null)
    done
    return 1
}
if [ "${BV_HEAVY_LOCK_HELD:-}" != 1 ] && ! held_by_ancestor; then
    exec 9>>"$lock"
    flock -n 9 || { echo "waiting for $lock"; flock 9; }
fi
export BV_HEAVY_LOCK_HELD=1

bash scripts/setup-machine.sh || { echo "machine set-up failed"; exit 1; }
bash scripts/build.sh native native-asan win64 win32 fuzz >build.log 2>&1 || { cat build.log; echo "build failed"; exit 1; }
grep -E 'warning:' build.log && echo "(build warnings above)"

export BV_WORK=$top/build/wine
# Memory drives a run cut short left mounted in it go first: rm would empty them and stop there.
findmnt -rn -o TARGET | grep "^$BV_WORK/" | sort -r | while read -r m; do umount "$m"; done
rm -rf "$BV_WORK"

# Floors: how many must pass in each tier, a little below today's counts (in parentheses). A tier that
# finds fewer tests than its floor (a filter, a lost source file, a script that stopped early) fails
# even when all it ran passed. Raise a floor when a tier grows; lower it only with the tests removed.
declare -A floor=(
    [native]=320        # (324) ctest: the unit tests and the two build tests
    [native-asan]=320   # (324) the same under ASan and UBSan
    [fuzz]=7            # (7) every target: each is listed by name in fuzz/run.sh, none may go missing
    [win]=18            # (19) win_tests.exe
    [e2e-copy]=35       # (37)
    [e2e-discs]=19      # (20)
    [e2e-faults]=72     # (75; 74 when the notice's Alt+F4 ended the program)
    [e2e-finish]=112    # (117)
    [e2e-signed]=8      # (9)
    [e2e-quiet]=23      # (25)
    [e2e-startup]=22    # (23)
    [e2e-window]=32     # (34)
)
# Bounds: a tier still running after this many seconds is ended and counts as failed. Each is several
# times the tier's time on this 2-core machine; every ctest test has its own 300 s (CMakePresets.json),
# every Wine call in the scripts its own bound.
declare -A bound=([native]=1200 [native-asan]=1800 [fuzz]=900 [win]=900 [discs]=900 [e2e]=2400)

total_passed=0
total_failed=0
short=()

# judge NAME LOG RC SECONDS: adds the tier's count to the totals; notes why it fell short, if it did
judge() {
    local name=$1 log=$2 rc=$3 secs=$4 line p=0 f=0 why=()
    line=$(grep -aE "^$name: [0-9]+ passed, [0-9]+ failed\$" "$log" | tail -1)
    if [ -z "$line" ]; then
        why+=("no \"$name: N passed, N failed\" line")
    else
        p=$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")
        f=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")
    fi
    [ "$rc" -eq 124 ] && why+=("no end within $secs s")
    [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] && why+=("exit code $rc")
    [ "$f" -gt 0 ] && why+=("$f failed")
    if [ -z "${floor[$name]:-}" ]; then
        why+=("no floor is set for it in scripts/test-all.sh")
    elif [ "$p" -lt "${floor[$name]}" ]; then
        why+=("$p passed, below its floor of ${floor[$name]}")
    fi
    total_passed=$((total_passed + p))
    total_failed=$((total_failed + f))
    if [ ${#why[@]} -gt 0 ]; then
        local text
        text=$(printf '%s; ' "${why[@]}")
        short+=("$name: ${text%; }")
        [ "$f" -eq 0 ] && total_failed=$((total_failed + 1)) # a tier that fell short counts as a failure
    fi
}

# run NAME LOG SECONDS COMMAND...: the tier's command, bounded, its output shown and kept in LOG; then
# judged. The bound ends the command's own process; the tier scripts end their Wine and Xvfb on the way out.
run() {
    local name=$1 log=$2 secs=$3 rc
    shift 3
    timeout --foreground -k 30 "$secs" "$@" 2>&1 | grep -av XGetInputFocus | tee "$log"
    rc=${PIPESTATUS[0]}
    judge "$name" "$log" "$rc" "$secs"
}

# ctest_tier NAME: the preset's tests (all of ctest's output in build/NAME-ctest.log), with the count
# line the judge reads. Skipped and disabled tests count as failed: a test that did not run showed nothing.
ctest_tier() {
    local log=build/$1-ctest.log rc all failed skipped disabled
    ctest --preset "$1" -j2 >"$log" 2>&1
    rc=$?
    grep -E 'tests passed|\*\*\*|\((Failed|Skipped|Disabled|Timeout)\)$|No tests were found' "$log"
    # ctest's "out of" counts a skipped test (as passed) but not a disabled one.
    all=$(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' "$log")
    failed=$(sed -nE 's/.*, ([0-9]+) tests failed out of.*/\1/p' "$log")
    skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log")
    disabled=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Disabled\)$' "$log")
    [ "$rc" -ne 0 ] && [ "${failed:-0}" -eq 0 ] && failed=1
    local passed=$(( ${all:-0} - ${failed:-0} - skipped ))
    [ "$passed" -lt 0 ] && passed=0
    echo "$1: $passed passed, $(( ${failed:-0} + skipped + disabled )) failed"
    return "$rc"
}
export -f ctest_tier

for tier in native native-asan; do
    echo "== $tier"
    run "$tier" "build/$tier.log" "${bound[$tier]}" bash -c 'ctest_tier "$1"' ctest_tier "$tier"
done
echo "== fuzz"
run fuzz build/fuzz.log "${bound[fuzz]}" bash fuzz/run.sh
echo "== win"
run win build/win.log "${bound[win]}" bash tests/win/run.sh

# The e2e scripts test the sample discs of this build, never a set left from an earlier one.
echo "== discs"
if ! timeout -k 30 "${bound[discs]}" bash scripts/make-discs.sh >build/discs.log 2>&1; then
    tail -20 build/discs.log
    short+=("discs: scripts/make-discs.sh failed (build/discs.log); the e2e scripts would test stale discs")
    total_failed=$((total_failed + 1))
fi
for t in tests/e2e/*.sh; do
    name=e2e-$(basename "$t" .sh)
    echo "== $name"
    run "$name" "build/$name.log" "${bound[e2e]}" bash "$t"
done

echo
if [ ${#short[@]} -gt 0 ]; then
    echo "tiers that fell short:"
    printf '  %s\n' "${short[@]}"
    echo "not all tiers passed: $total_passed passed, $total_failed failed"
    exit 1
fi
echo "all tiers: $total_passed passed, $total_failed failed"

# Tiny assertion helpers for the shell-driven tiers: each check prints a line and is counted.
BV_PASSED=0
BV_FAILED=0
# Where bounded (wine.sh) notes a bound reached: a file, so that one reached in a subshell counts too.
BV_BOUND_LOG=$(mktemp "${TMPDIR:-/tmp}/bv-bounds.XXXXXX")

# pass NAME / fail NAME DETAIL
pass() { BV_PASSED=$((BV_PASSED + 1)); echo "  ok   $1"; }
fail() { BV_FAILED=$((BV_FAILED + 1)); echo "  FAIL $1${2:+: $2}"; }

# expect_eq NAME ACTUAL EXPECTED
expect_eq() { if [ "$2" == "$3" ]; then pass "$1"; else fail "$1" "got [$2], expected [$3]"; fi; }
# expect_true NAME COMMAND...
expect_true() {
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name" "$*"; fi
}

# summary TIER: every bound reached counted as a failure of its step, the closing line, and the exit status
summary() {
    local bound
    while IFS= read -r bound; do fail "$bound"; done <"$BV_BOUND_LOG"
    rm -f "$BV_BOUND_LOG"
    echo "$1: $BV_PASSED passed, $BV_FAILED failed"
    [ "$BV_FAILED" -eq 0 ]
}

# Tiny assertion helpers for the shell-driven tiers: each check prints a line and is counted.
BV_PASSED=0
BV_FAILED=0

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

# summary TIER: the closing line, and the exit status
summary() {
    echo "$1: $BV_PASSED passed, $BV_FAILED failed"
    [ "$BV_FAILED" -eq 0 ]
}

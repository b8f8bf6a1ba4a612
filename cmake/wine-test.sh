#!/bin/bash
# Runs one test program under Wine and judges it by what the program itself reports, never by
# the exit code alone: under Wine a program that dies of an unhandled exception may still exit 0.
#
#   wine-test.sh gtest PROGRAM [ARGS...]
#       passes only if the GoogleTest report, written when the last test has ended, exists and
#       says every test ran and passed
#   wine-test.sh ends-with REGEX EXIT_CODE PROGRAM [ARGS...]
#       passes only if the last line the program printed (stdout and stderr) matches REGEX and
#       the program ended with EXIT_CODE
#
# Either way an unhandled exception on any thread, reported by Wine, fails the run; so does a
# hang, through CTest's time-out.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mode="$1"
shift

fail() {
    echo "wine-test: FAIL: $*"
    exit 1
}

# " (last test started: NAME)" from GoogleTest's output, or nothing.
last_test_started() {
    local last
    last="$(grep -oE '^\[ RUN      \] .*' "$work/output" | tail -n1)"
    echo "${last:+ (last test started: ${last#*] })}"
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

case "$mode" in
gtest)
    program="$1"
    shift
    report="$work/report.xml"
    "$here/wine-run.sh" "$program" "--gtest_output=xml:Z:$(echo "$report" | tr / '\\')" "$@" \
        2>&1 | tee "$work/output"
    ;;
ends-with)
    pattern="$1"
    expected_code="$2"
    shift 2
    "$here/wine-run.sh" "$@" 2>&1 | tee "$work/output"
    code="${PIPESTATUS[0]}"
    ;;
*)
    fail "unknown mode '$mode'"
    ;;
esac

if grep -qE '^wine: Unhandled|^Unhandled exception' "$work/output"; then
    fail "the program crashed$(last_test_started)"
fi

if [ "$mode" = gtest ]; then
    if [ ! -s "$report" ]; then
        fail "no test report: the program ended before its last test$(last_test_started)"
    fi
    totals="$(grep -m1 -oE '<testsuites tests="[0-9]+" failures="[0-9]+" disabled="[0-9]+" errors="[0-9]+"' "$report")"
    [[ "$totals" =~ tests=\"([0-9]+)\"\ failures=\"([0-9]+)\"\ disabled=\"[0-9]+\"\ errors=\"([0-9]+)\" ]] ||
        fail "unreadable test report"
    tests="${BASH_REMATCH[1]}"
    failures="${BASH_REMATCH[2]}"
    errors="${BASH_REMATCH[3]}"
    completed="$(grep -c 'result="completed"' "$report")"
    [ "$tests" -gt 0 ] || fail "no test ran"
    [ "$failures" -eq 0 ] && [ "$errors" -eq 0 ] || fail "$failures failed, $errors errors"
    [ "$completed" -eq "$tests" ] || fail "$completed of $tests tests completed"
    echo "wine-test: $tests passed, 0 failed"
else
    last_line="$(grep -v '^[[:space:]]*$' "$work/output" | tail -n1 | tr -d '\r')"
    [[ "$last_line" =~ $pattern ]] || fail "the program did not finish: its last line was '$last_line'"
    [ "$code" = "$expected_code" ] || fail "exit code $code, expected $expected_code"
fi

#!/bin/bash
# The judge's own test (docs/developing.md, "How a test is judged"). Each row runs one case of
# crash_tests, a program that crashes, aborts or ends early on purpose, and requires the very
# evidence the judge must see in it, and that the judge's patterns see it: the crash line with
# its exception code, the runner's line with the exit code, and the closing line, or its absence
# where the program ended early. A judge that stops reading a line, a reporter that is not
# installed, or a case that runs nothing fails its row.
# Usage: judge_test.sh <failure pattern> <pass pattern> <crash_tests.exe>
set -euo pipefail
judge_fails="$1"
judge_passes="$2"
program="$3"
runner="$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh"

# case | exit code | the crash line's exception code, if it crashes | its closing line: "yes" it
# shows, "no" the program ended first, "empty" it shows but counts no test (the filter names no
# case), which the pass pattern must not take for a pass
cases=(
    "OnTheMainThread|70|C0000005|no"
    "OnASecondThread|70|C0000005|no"
    "StackOverflowOnASecondThread|70|C00000FD|no"
    "AfterTheLastTest|70|C0000005|yes"
    "AbortsAfterTheLastTest|3||yes"
    "EndsEarly|0||no"
    "NoSuchCase|0||empty"
)
# expect_line PATTERN JUDGE_PATTERN WHAT: a line of the output matches PATTERN, and the judge's
# JUDGE_PATTERN catches it.
expect_line() {
    local line
    line="$(grep -E -m1 "$1" <<<"$output")" || { problems+=("no $3"); return 0; }
    grep -qE "$2" <<<"$line" || problems+=("the judge does not see the $3: $line")
}
passed=0
failed=0
for row in "${cases[@]}"; do
    IFS='|' read -r name code exception closes <<<"$row"
    status=0
    output="$("$runner" "$program" --gtest_filter="CrashTest.$name" 2>&1)" || status=$?
    output="${output//$'\r'/}"
    problems=()
    # A thread whose stack overflows into its last page Wine ends at once, with nothing of the
    # program's run: then Wine's own line is the evidence, and the program goes on.
    if [ "$exception" = C00000FD ] && ! grep -q '^CRASH:' <<<"$output"; then
        expect_line ':err:virtual:virtual_setup_exception stack overflow' "$judge_fails" \
            "line Wine prints when it ends the thread"
        exception=""
        code=0
        closes=yes
    fi
    [ "$status" -eq "$code" ] || problems+=("exit code $status, not $code")
    if [ -n "$exception" ]; then
        expect_line "^CRASH: unhandled exception 0x$exception at 0x[0-9A-F]{16} on thread [0-9]+\$" \
            "$judge_fails" "crash line"
    elif grep -q '^CRASH:' <<<"$output"; then
        problems+=("a crash line")
    fi
    if [ "$code" -ne 0 ]; then
        expect_line "^wine-run: .* ended with exit code $code\$" "$judge_fails" "runner's line"
    fi
    if [ "$closes" = yes ]; then
        expect_line '^\[  PASSED  \] 1 test\.$' "$judge_passes" "closing line"
    elif [ "$closes" = empty ]; then
        grep -q '^\[  PASSED  \] 0 tests\.$' <<<"$output" || problems+=("no closing line")
        ! grep -qE "$judge_passes" <<<"$output" || problems+=("the judge passes a run of no test")
    else
        grep -q "^\[ RUN      \] CrashTest\.$name\$" <<<"$output" || problems+=("the case did not run")
        ! grep -qE "$judge_passes" <<<"$output" || problems+=("the judge sees a closing line")
    fi
    if [ ${#problems[@]} -eq 0 ]; then
        echo "$name: judged as failing, by what it shows"
        passed=$((passed + 1))
    else
        printf 'FAIL: %s: %s\n' "$name" "$(IFS=';'; echo "${problems[*]}")"
        printf '%s\n' "$output" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

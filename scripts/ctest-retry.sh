#!/usr/bin/env bash
# Runs ctest once with the given arguments. A test that failed only because LeakSanitizer's
# own stop-the-world tracer crashed after it ran ("Tracer caught signal") is run again, at
# most twice; any other failure, also on a rerun, fails the whole run.
# Usage: ctest-retry.sh BUILD_DIR CTEST_ARGUMENTS...
# BUILD_DIR is the folder whose Testing/Temporary holds the logs of the run.
set -uo pipefail
build=$1
shift
temporary="$build/Testing/Temporary"
tracer_crash="Tracer caught signal"

# The output one test wrote, as the last run's log holds it.
output_of() {
    awk -v name="$2" '
        /^[0-9]+\/[0-9]+ Test: / && substr($0, index($0, " Test: ") + 7) == name { on = 1 }
        on { print }
        on && index($0, "\"" name "\" end time:") == 1 { exit }
    ' "$1"
}

ctest "$@" && exit 0
if [ ! -f "$temporary/LastTestsFailed.log" ] || [ ! -f "$temporary/LastTest.log" ]; then
    echo "ctest-retry: ctest failed before it ran the tests"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$temporary/LastTest.log" "$work/first.log"
cut -d: -f2- "$temporary/LastTestsFailed.log" >"$work/failed"

status=0
while IFS= read -r name; do
    [ -n "$name" ] || continue
    if ! output_of "$work/first.log" "$name" | grep -qF "$tracer_crash"; then
        echo "ctest-retry: $name failed"
        status=1
        continue
    fi
    pattern="^$(printf '%s' "$name" | sed 's/[][\.*^$+?(){}|/]/\\&/g')\$"
    passed=false
    for attempt in 1 2; do
        echo "ctest-retry: LeakSanitizer's tracer crashed after $name; running it again ($attempt of 2)"
        if ctest "$@" -R "$pattern" </dev/null; then
            passed=true
            break
        fi
        # A rerun that fails some other way shows a real fault.
        output_of "$temporary/LastTest.log" "$name" | grep -qF "$tracer_crash" || break
    done
    if ! $passed; then
        echo "ctest-retry: $name failed"
        status=1
    fi
done <"$work/failed"
exit $status

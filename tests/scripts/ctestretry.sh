#!/usr/bin/env bash
# The test script's retry: in a small project of its own, a test whose first run ends in
# LeakSanitizer's tracer crash passes on its rerun and the run passes; a test that fails
# once for any other reason fails the run although it would pass on a second try; a test
# that keeps crashing the tracer fails after two reruns.
# Usage: ctestretry.sh RETRY_SCRIPT
set -euo pipefail
retry=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A project of one passing test and the failing tests given as NAME=TEXT.
project() {
    local dir=$1
    shift
    mkdir -p "$dir"
    {
        echo 'cmake_minimum_required(VERSION 3.20)'
        echo 'project(retry NONE)'
        echo 'enable_testing()'
        echo 'add_test(NAME steady.pass COMMAND sh -c "echo fine")'
        for spec in "$@"; do
            local name=${spec%%=*} text=${spec#*=}
            # Run after run the mark file grows a line; a test fails with its text on its
            # first run and on as many reruns as asked for, then passes.
            echo "add_test(NAME $name COMMAND sh -c \"m=\$MARKS/$name; echo run >>\$m; [ \\\$(wc -l <\$m) -gt \\\$((\$FAILS + 1)) ] || { echo '$text'; exit 1; }\")"
        done
    } >"$dir/CMakeLists.txt"
    cmake -S "$dir" -B "$dir/build" >/dev/null
    mkdir -p "$dir/marks"
}

run() {
    local dir=$1 fails=$2
    rm -f "$dir"/marks/*
    (cd "$dir/build" && MARKS="$dir/marks" FAILS=$fails bash "$retry" . --test-dir . >"$dir/out" 2>&1)
}

project "$work/tracer" "flaky.tracer=Tracer caught signal 11: addr=0x0 pc=0x0 sp=0x0"
run "$work/tracer" 0 || { echo "a tracer crash that went away on the rerun failed the run"; cat "$work/tracer/out"; exit 1; }
if run "$work/tracer" 2; then
    echo "a tracer crash on every run passed"
    cat "$work/tracer/out"
    exit 1
fi

project "$work/real" "flaky.tracer=Tracer caught signal 11" "flaky.fault=expected 3, got 4"
if run "$work/real" 0; then
    echo "a real failure passed because it went away on a second run"
    cat "$work/real/out"
    exit 1
fi
grep -q "ctest-retry: flaky.fault failed" "$work/real/out"
if grep -q "flaky.tracer failed" "$work/real/out"; then
    echo "the tracer crash beside the real fault was not run again"
    cat "$work/real/out"
    exit 1
fi
echo "ctestretry: only tracer crashes are run again"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: plain, then under the
# address and undefined-behaviour sanitizers, the tests that start several
# threads under the thread sanitizer, then the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

fuzz_seconds=${MOBREL_FUZZ_SECONDS:-10}

for flavour in plain asan; do
    echo "=== build ($flavour)"
    scripts/build.sh "$flavour"
    echo "=== tests ($flavour)"
    ctest --test-dir "build/$flavour" --output-on-failure -j "$(nproc)"
done

echo "=== build (tsan)"
scripts/build.sh tsan
echo "=== tests that start threads (tsan)"
# Any report fails the test: the program then ends with status 66.
TSAN_OPTIONS="exitcode=66 second_deadlock_stack=1" \
    ctest --test-dir build/tsan --output-on-failure -j "$(nproc)" -L threads

echo "=== fuzzers (${fuzz_seconds}s each)"
scripts/build.sh fuzz
scripts/fuzz.sh "$fuzz_seconds"

echo "=== all tests passed"

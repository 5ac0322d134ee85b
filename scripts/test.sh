#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: plain, then under the
# address and undefined-behaviour sanitizers, then the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

fuzz_seconds=${MOBREL_FUZZ_SECONDS:-60}

for flavour in plain asan; do
    echo "=== build ($flavour)"
    scripts/build.sh "$flavour"
    echo "=== tests ($flavour)"
    ctest --test-dir "build/$flavour" --output-on-failure -j "$(nproc)"
done

echo "=== fuzzers (${fuzz_seconds}s each)"
scripts/build.sh fuzz
scripts/fuzz.sh "$fuzz_seconds"

echo "=== all tests passed"

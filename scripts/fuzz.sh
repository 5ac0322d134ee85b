#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for the given number of seconds
# each (default 20), from its seed corpus in tests/fuzz/corpus/<target>.
# What the fuzzers add goes to a temporary folder, or with a second argument
# to <folder>/<target>, which is kept and grows from one campaign to the next.
# A crash, a sanitizer report, a hang (10 s on one input) or an allocation over
# 64 MB fails the run; its input is kept in build/fuzz/artifacts.
set -euo pipefail
seconds=${1:-20}
kept=${2:+$(realpath -m "$2")}
cd "$(dirname "$0")/.."

shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets built" >&2
    exit 1
fi
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpora=${kept:-$work}
for target in "${targets[@]}"; do
    name=$(basename "$target")
    mkdir -p "$corpora/$name"
    echo "--- $name"
    # New inputs go to the first folder; the seeds are only read.
    if ! "$target" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=64 -print_final_stats=1 \
            -artifact_prefix="$artifacts/$name-" "$corpora/$name" "tests/fuzz/corpus/$name" \
            >"$work/$name.log" 2>&1; then
        tail -n 60 "$work/$name.log"
        echo "$name failed; the input is in $artifacts" >&2
        exit 1
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec)' "$work/$name.log"
done

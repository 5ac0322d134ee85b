#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for the given number of seconds
# (default 60), each from a copy of its seed corpus in tests/fuzz/corpus/<target>.
# A crash or sanitizer report fails the run; its input is kept in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
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
for target in "${targets[@]}"; do
    name=$(basename "$target")
    mkdir -p "$work/$name"
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -r "tests/fuzz/corpus/$name/." "$work/$name/"
    fi
    echo "--- $name"
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$artifacts/$name-" "$work/$name" >"$work/$name.log" 2>&1; then
        tail -n 60 "$work/$name.log"
        echo "$name failed; the input is in $artifacts" >&2
        exit 1
    fi
    tail -n 5 "$work/$name.log"
done

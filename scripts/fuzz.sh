#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for the given number of seconds
# (default 60), each from a copy of its seed corpus in tests/fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets built" >&2
    exit 1
fi
for target in "${targets[@]}"; do
    name=$(basename "$target")
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -r "tests/fuzz/corpus/$name/." "$work/"
    fi
    echo "--- $name"
    "$target" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 5
    rm -rf "$work"
    trap - EXIT
done

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every benchmark once on the large
# sample phone (phonesim behind a private adb server): one table on standard
# output, its figures added to bench/results.tsv beside those of earlier runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain
run="$(date -u +%Y-%m-%dT%H:%MZ) $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
if [[ -n "$(git status --porcelain 2>/dev/null)" ]]; then run+="+changes"; fi
build/plain/bin/bench_mobrel --results bench/results.tsv --run "$run"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks: generating the
# sample phones, and flushing every category of the large phone through
# phonesim and the real adb (behind a private adb server).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain
echo "=== generating the sample phones"
build/plain/bin/bench_dataset
echo "=== flushing the large phone"
build/plain/bin/bench_flush

#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks: generating the
# sample phones, flushing every category of the large phone through phonesim
# and the real adb (behind a private adb server), and a full backup of the
# small and the large phone through the backup screen.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain
echo "=== generating the sample phones"
build/plain/bin/bench_dataset
echo "=== flushing the large phone"
build/plain/bin/bench_flush
if [[ -x build/plain/bin/bench_backup ]]; then
    echo "=== backing up the small and the large phone"
    build/plain/bin/bench_backup
fi

#!/usr/bin/env bash
# The device-link library's self-check: installs what is missing, builds,
# starts phonesim with the small sample phone behind a private adb server and
# runs mobrelcheck: the library sees the phone through the real adb, brings it
# up and prints its facts and the six category counts, then flushes every category.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain
source scripts/lib/phonesim-session.sh

"$bin/mobrelcheck" 9>&-

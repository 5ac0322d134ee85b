#!/usr/bin/env bash
# The main command: installs what is missing, builds, starts phonesim (the
# simulated phone) with the small sample dataset behind a private adb server,
# and starts Mobrel, which connects to it and shows its device information.
# Closing Mobrel's window stops phonesim and that server. On a machine with no
# display it says so and writes the screenshots of scripts/screenshots.sh instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set);"
    echo "demo: writing screenshots of Mobrel's screens instead"
    exec scripts/screenshots.sh
fi

source scripts/lib/phonesim-session.sh
echo "Mobrel:       starting; close its window to end the demo"
"$bin/Mobrel" 9>&-

#!/usr/bin/env bash
# Renders Mobrel's main window in each of its states to PNG files: waiting for a
# phone, identifying, authorising, connecting, device information, the backup,
# restore and tools pages, and a message box. Each phase runs the real program's
# window offscreen against phonesim behind a private adb server (never yours).
#   scripts/screenshots.sh [FOLDER]     (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain

out=${1:-$PWD/build/screenshots}
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
for phase in waiting identify connected; do
    build/plain/bin/mobrel_screenshots "$phase" "$out"
done
echo "screenshots: written to $out"

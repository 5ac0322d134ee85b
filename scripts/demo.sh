#!/usr/bin/env bash
# The main command, for now: installs what is missing, builds, and runs the
# self-check of the device-link library against the real adb. It uses its own
# adb server on a private port (MOBREL_DEMO_ADB_PORT, default 5041), so an adb
# server of yours is never touched, and stops that server at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh plain

export ANDROID_ADB_SERVER_PORT=${MOBREL_DEMO_ADB_PORT:-5041}
trap 'adb kill-server >/dev/null 2>&1 || true' EXIT
build/plain/bin/mobrelcheck

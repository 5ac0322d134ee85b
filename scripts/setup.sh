#!/usr/bin/env bash
# Installs the Debian 12 packages Mobrel needs to build, test and demo, if any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git clang libclang-rt-14-dev
    qt6-base-dev qt6-svg-dev libcjson-dev libudev-dev
    fonts-lato fonts-liberation chromium xvfb
    googletest libgtest-dev libgmock-dev
    adb python3 binutils procps iproute2 poppler-utils desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"

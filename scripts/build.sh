#!/usr/bin/env bash
# Configures and builds one flavour into build/<flavour>: plain, asan, tsan or fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-plain}
dir=build/$flavour
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOBREL_WERROR=ON)
case "$flavour" in
    plain) ;;
    asan) args+=(-DMOBREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    # The library and its tests only: Qt itself is not built for the thread sanitizer.
    tsan) args+=(-DMOBREL_TSAN=ON -DMOBREL_GUI=OFF) ;;
    fuzz) args+=(-DMOBREL_FUZZ=ON -DMOBREL_TESTS=OFF -DMOBREL_GUI=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "unknown flavour: $flavour (plain, asan, tsan, fuzz)" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"

#!/usr/bin/env bash
# Configures and builds one flavour into build/<flavour>: plain, asan or fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-plain}
dir=build/$flavour
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOBREL_WERROR=ON)
case "$flavour" in
    plain) ;;
    asan) args+=(-DMOBREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    fuzz) args+=(-DMOBREL_FUZZ=ON -DMOBREL_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "unknown flavour: $flavour (plain, asan, fuzz)" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"

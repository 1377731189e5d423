#!/usr/bin/env bash
# Every test: installs what is missing, then builds and runs the native sanitizer build (portable
# code) and the Windows build (everything, under Wine).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows

#!/usr/bin/env bash
# Where start-up goes: builds an instrumented Tarnwick.exe in build/trace (the release build's
# options, plus marks of the start-up's steps: toolkit/StartupTrace.h), runs the start-up
# benchmark on it under Wine and prints, beside the benchmark's figures, each step's median time
# and private memory. The instrumented build is never the shipped one.
#   scripts/startup-steps.sh [starts per case, default 11]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
build=build/trace
cmake -S . -B "$build" --toolchain cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DTARNWICK_TESTS=OFF -DTARNWICK_STARTUP_TRACE=ON >/dev/null
echo "Building..." >&2
cmake --build "$build" -j "$(nproc)" --target Tarnwick wine_keepalive bench_tray_program \
  bench_tray_program_plain \
  StartupBench >/dev/null
build=$(cd "$build" && pwd)
state=$build/bench-wine
trap 'scripts/wine-teardown.sh "$state" >/dev/null 2>&1 || true' EXIT
scripts/wine-setup.sh "$state" "$build/wine_keepalive.exe" >/dev/null
rm -f "$build/startup-steps.txt"
TARNWICK_WINE_STATE="$state" TARNWICK_EXE="$build/Tarnwick.exe" \
  TARNWICK_TRIVIAL_EXE="$build/wine_keepalive.exe" \
  TARNWICK_TRAY_EXE="$build/bench_tray_program.exe" \
  TARNWICK_TRAY_PLAIN_EXE="$build/bench_tray_program_plain.exe" \
  TARNWICK_STARTUP_TRACE_FILE="$build/startup-steps.txt" \
  scripts/wine-run.sh "$build/StartupBench.exe" "${1:-11}" </dev/null 2>&1 | tr -d "\r"

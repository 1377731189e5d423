#!/usr/bin/env bash
# Builds the benchmark programs (bench/*.cpp) of the Windows build and runs each under Wine, in a
# throw-away prefix of its own. They print figures; nothing is asserted.
#   scripts/bench.sh [ARGS for every benchmark...]
# TARNWICK_BENCH_BUILD names another build folder than build/windows.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
build=${TARNWICK_BENCH_BUILD:-build/windows}
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = build/windows ]; then
    cmake --preset windows >/dev/null
  else
    cmake -S . -B "$build" --toolchain cmake/mingw-w64-posix.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
fi
targets=()
for src in bench/*.cpp; do
  targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "no benchmarks in bench/"; exit 0; }
cmake --build "$build" -j "$(nproc)" --target wine_keepalive "${targets[@]}"

state=$(cd "$build" && pwd)/bench-wine
trap 'scripts/wine-teardown.sh "$state" >/dev/null 2>&1 || true' EXIT
# The keep-alive program holds Wine's services open with detached output, so that they do not
# inherit (and hold open) the output of the first benchmark.
scripts/wine-setup.sh "$state" "$build/wine_keepalive.exe" >/dev/null
for t in "${targets[@]}"; do
  echo "== $t"
  TARNWICK_WINE_STATE="$state" scripts/wine-run.sh "$build/$t.exe" "$@" </dev/null
done

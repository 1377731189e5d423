#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
# Installs clang and libFuzzer's runtime first where they are missing (Debian).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
need=()
command -v clang++ >/dev/null || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  need+=(libclang-rt-dev)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
scripts/install-deps.sh
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)"
# A target that finds a fault (or fails to start) fails the script: CI relies on that.
status=0
for src in fuzz/*Fuzz.cpp; do
  name=$(basename "$src" .cpp)
  corpus="fuzz/corpus/$(echo "$name" | sed 's/Fuzz$//' | sed 's/\([a-z]\)\([A-Z]\)/\1_\2/g' | tr A-Z a-z)"
  work="build/fuzz/corpus-$name"
  log="build/fuzz/$name.log"
  mkdir -p "$work"
  echo "== $name for ${seconds}s (seeds: $corpus)"
  if "build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/$name-" "$work" "$corpus" >"$log" 2>&1; then
    grep -E 'stat::number_of_executed_units|stat::new_units_added|Done' "$log" || true
  else
    echo "!! $name failed; the input that failed is kept as build/fuzz/$name-*"
    grep -v -E '^#[0-9]+' "$log" | tail -n 40
    status=1
  fi
done
exit $status

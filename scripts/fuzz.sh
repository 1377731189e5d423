#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
need=()
command -v clang++ >/dev/null || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  need+=(libclang-rt-dev)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
scripts/install-deps.sh
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)"
for src in fuzz/*Fuzz.cpp; do
  name=$(basename "$src" .cpp)
  corpus="fuzz/corpus/$(echo "$name" | sed 's/Fuzz$//' | sed 's/\([a-z]\)\([A-Z]\)/\1_\2/g' | tr A-Z a-z)"
  work="build/fuzz/corpus-$name"
  mkdir -p "$work"
  echo "== $name for ${seconds}s (seeds: $corpus)"
  "build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$work" "$corpus" 2>&1 |
    grep -E 'stat::number_of_executed_units|stat::new_units_added|ERROR|SUMMARY|Done' || true
done

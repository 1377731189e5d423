#!/usr/bin/env bash
# Builds the benchmark programs (bench/*.cpp), the trivial programs they compare with and the
# shipped Tarnwick.exe (the release preset), runs each benchmark under Wine in a throw-away prefix
# of its own and prints one table of the figures (Markdown), with the machine's description.
# They print figures; nothing is asserted.
#   scripts/bench.sh
# TARNWICK_BENCH_BUILD names another build folder than build/release (configured already, or
# then configured like the release preset). TARNWICK_BENCH_BEFORE names an earlier build's
# Tarnwick.exe, whose start-up the start-up benchmark then measures in the same rounds. Each program's own output is kept in
# <build>/bench-results/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
build=${TARNWICK_BENCH_BUILD:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = build/release ]; then
    cmake --preset release >/dev/null
  else
    cmake -S . -B "$build" --toolchain cmake/mingw-w64-posix.cmake \
      -DCMAKE_BUILD_TYPE=MinSizeRel -DTARNWICK_TESTS=OFF >/dev/null
  fi
fi
targets=()
for src in bench/*.cpp; do
  targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "no benchmarks in bench/"; exit 0; }
echo "Building..." >&2
cmake --build "$build" -j "$(nproc)" --target Tarnwick wine_keepalive \
  bench_tray_program bench_tray_program_plain \
  "${targets[@]}" >/dev/null
build=$(cd "$build" && pwd)
exe=$build/Tarnwick.exe

state=$build/bench-wine
results=$build/bench-results
rm -rf "$results"
mkdir -p "$results"
trap 'scripts/wine-teardown.sh "$state" >/dev/null 2>&1 || true' EXIT
# The keep-alive program holds Wine's services open with detached output, so that they do not
# inherit (and hold open) the output of the first benchmark.
scripts/wine-setup.sh "$state" "$build/wine_keepalive.exe" >/dev/null
for t in "${targets[@]}"; do
  echo "Running $t..." >&2
  TARNWICK_WINE_STATE="$state" TARNWICK_EXE="$exe" \
    TARNWICK_TRIVIAL_EXE="$build/wine_keepalive.exe" \
    TARNWICK_TRAY_EXE="$build/bench_tray_program.exe" \
    TARNWICK_TRAY_PLAIN_EXE="$build/bench_tray_program_plain.exe" \
    TARNWICK_BEFORE_EXE="${TARNWICK_BENCH_BEFORE:-}" \
    scripts/wine-run.sh "$build/$t.exe" </dev/null >"$results/$t.raw" 2>&1 ||
    echo "($t failed: see $results/$t.txt)" >>"$results/$t.raw"
  # Wine's console ends lines with CR LF.
  tr -d '\r' <"$results/$t.raw" >"$results/$t.txt" && rm -f "$results/$t.raw"
done

# ---- The table ---------------------------------------------------------------------------------
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
mem=$(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)
wine=$("$(command -v wine || echo /usr/lib/wine/wine64)" --version 2>/dev/null || echo unknown)
echo
echo "Machine: $(nproc) cores, $cpu, $mem RAM; $wine; $(x86_64-w64-mingw32-g++-posix --version |
  head -1); load average before the run $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| Measure | Case | Figure |"
echo "|---|---|---|"

# Keystroke decision: "entries miss hit ratio up", microseconds.
awk '$1 ~ /^[0-9]+$/ && NF >= 4 {
  up = NF >= 5 ? sprintf("; Up through 100 history lines %s µs", $5) : ""
  printf "| Key press decision (keyword scan, no launch; 100 history lines) | %s entries | miss %s µs, Enter on the last keyword %s µs%s |\n", $1, $2, $3, up
}' "$results/KeystrokeBench.txt" 2>/dev/null || true

# Settings file: "entries bytes load save per-key-load per-key-save", seconds.
awk 'function ms(s) { return s ~ /^[0-9.]+$/ ? sprintf("%.1f ms", s * 1000) : s }
$1 ~ /^[0-9]+$/ && NF >= 6 {
  printf "| Settings load / save | %s entries (%s bytes) | ours: load %s, save %s; one platform call per key: load %s, save %s |\n", $1, $2, ms($3), ms($4), ms($5), ms($6)
}' "$results/SettingsBench.txt" 2>/dev/null || true

# Database editor on the interface thread: "entries show apply delete", milliseconds.
awk '$1 ~ /^[0-9]+$/ && NF >= 4 {
  printf "| Database editor on the interface thread (targets looked for off it) | %s entries | show %s ms, Apply %s ms, Delete %s ms |\n", $1, $2, $3, $4
}' "$results/EditorBench.txt" 2>/dev/null || true

# Start-up: "label median min max ratio privateKB"; memory: "label KB [(note)]"; call-up: "label
# median p90 first ratio".
awk '/^Start-up/ { section = "start"; next }
/^Private memory/ { section = "memory"; next }
/^Call-up latency/ { section = "callup"; next }
section == "callup" && NF >= 5 && $(NF - 3) ~ /^[0-9.]+$/ {
  label = $0; sub(/ +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+$/, "", label)
  printf "| Call-up: posted hot key until shown, in front and the input line focused (100 call-ups) | %s | %s ms median, %s ms 90th percentile (first %s ms), %s× the trivial program |\n", label, $(NF - 3), $(NF - 2), $(NF - 1), $NF
}
section == "start" && NF >= 7 && $(NF - 5) ~ /^[0-9.]+$/ {
  label = $0; sub(/ +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+ +-?[0-9.]+$/, "", label)
  printf "| Start-up until the tray icon is there and the loop answers | %s | %s ms median (min %s), %s× the minimal tray program; private memory %s KB, %s KB above the minimal tray program |\n", label, $(NF - 5), $(NF - 4), $(NF - 2), $(NF - 1), $NF
}
section == "memory" && NF >= 2 {
  note = ""
  if (index($0, "(")) { note = "; " substr($0, index($0, "(") + 1); sub(/\)$/, "", note) }
  line = $0; sub(/ *\(.*$/, "", line)
  kb = line; sub(/^.* /, "", kb)
  label = line; sub(/ +[0-9.]+$/, "", label)
  printf "| Private memory of Tarnwick.exe (100 entries) | %s | %s KB%s |\n", label, kb, note
}' "$results/StartupBench.txt" 2>/dev/null || true

# The exe itself.
stripped=$(mktemp)
x86_64-w64-mingw32-strip -o "$stripped" "$exe"
if [ "$(stat -c %s "$exe")" = "$(stat -c %s "$stripped")" ]; then
  printf '| Tarnwick.exe | size | %s bytes (%s) |\n' "$(stat -c %s "$exe")" \
    "$(grep -m1 '^CMAKE_BUILD_TYPE:' "$build/CMakeCache.txt" | cut -d= -f2) build"
else
  printf '| Tarnwick.exe | size | %s bytes as built (%s bytes without debug information) |\n' \
    "$(stat -c %s "$exe")" "$(stat -c %s "$stripped")"
fi
rm -f "$stripped"
printf '| Tarnwick.exe | imported DLLs | %s |\n' \
  "$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | paste -sd' ')"

echo
echo "Each program's own output: $results/"
for t in "${targets[@]}"; do
  if grep -q 'failed: see' "$results/$t.txt"; then
    echo "$t FAILED:" && cat "$results/$t.txt"
  fi
done

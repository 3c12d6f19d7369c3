#!/usr/bin/env bash
# Runs every benchmark of the product's tree (build/win, 32-bit) under 32-bit
# Wine, as the test rig runs its suites (scripts/wine-env.sh): in the test
# prefix, on $DISPLAY or else a private Xvfb. A benchmark that fails is named
# and the others still run. Closes with one table of the ratios that matter,
# gathered from the "ratio" lines the benchmarks print (bench/bench_timing.h);
# logs go to build/bench-logs/.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
rig_enter bench/run.sh "$@"
logdir="$build/bench-logs"
mkdir -p "$logdir"
rm -f "$logdir"/*.log

if [ -z "${DISPLAY:-}" ]; then
  rig_start_xvfb || exit 1
  echo "bench: no \$DISPLAY, so the benchmarks run on a private Xvfb at $DISPLAY"
fi
rig_start_wineserver || exit 1
echo "bench: $build/win under 32-bit Wine ($(rig_emulator))"

# Far beyond what any of them takes under qemu; a hang still ends.
limit=${ZLM_BENCH_LIMIT:-3600}
failed=()
benches=("$build/win"/bench/*_bench.exe)
[ -e "${benches[0]}" ] || { echo "bench: no benchmarks in $build/win/bench (make win builds them)" >&2; exit 1; }
for bench in "${benches[@]}"; do
  name=$(basename "$bench" .exe)
  echo "== $name"
  timeout "$limit" "$rig_wine" "$bench" 2>&1 | tee "$logdir/$name.log"
  rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    sign=$(rig_emulator_failed "$logdir/$name.log") && sign=", with qemu-i386 failing a process of Wine's ($sign)"
    echo "== $name failed: exit status $rc${sign:-}"
    failed+=("$name")
  fi
done

echo
echo "== ratios: medians in ms; the floor is what the operation cannot do without, timed bare in the same run"
cat "$logdir"/*.log | tr -d '\r' | awk -F'\t' '
  $1 == "ratio" {
    if (!shown++)
      printf "%-34s %12s %10s %7s   %s\n", "", "measured", "floor", "ratio", "floor is"
    printf "%-34s %12.3f %10.3f %6.2fx   %s\n", $2, $3, $4, ($4 > 0 ? $3 / $4 : 0), $5
  }
  END { if (!shown) print "(no ratios: every benchmark that prints them failed)" }'
if [ "${#failed[@]}" -ne 0 ]; then
  echo "bench: failed: ${failed[*]} (logs in $logdir)"
  exit 1
fi

#!/usr/bin/env bash
# Runs every benchmark once at 2000 entries (--smoke), from a build folder
# that has them (default build/, as ./test.sh makes it). A benchmark fails
# here only on wrong results, never on its timings: this keeps them from
# rotting between the runs that measure.
#   bench/smoke.sh [BUILD]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build}/bin"
export QT_QPA_PLATFORM=offscreen
for bench in quorvel_bench tool_bench find_bench quorvel_window_bench import_bench export_bench; do
  echo "== $bench --smoke"
  if ! "$bin/$bench" --smoke; then
    echo "BENCHMARK SMOKE RUN FAILED: $bench" >&2
    exit 1
  fi
done

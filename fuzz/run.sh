#!/usr/bin/env bash
# Builds every fuzz target and runs each for a bounded time on its seed
# corpus (fuzz/corpus/<target>/, never changed by a run). Exits non-zero on
# the first crash, leak or failed property; the input that caused it is kept
# in fuzz-artifacts/.
#   FUZZ_SECONDS=20 fuzz/run.sh          seconds per target (default 20)
#   fuzz/run.sh fuzz_search              only the named targets
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
out="${FUZZ_BUILD:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
artifacts="$root/fuzz-artifacts"
mkdir -p "$artifacts"

mapfile -t built < <(FUZZ_BUILD="$out" "$here/build.sh")
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "${built[@]}"; do targets+=("$(basename "$binary")"); done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# An input that takes more memory than this is a finding: Quorvel stays under
# 1 GB on any input, and the sanitizers' own share is left room.
rss_limit_mb="${FUZZ_RSS_LIMIT_MB:-1536}"

summary=()
for target in "${targets[@]}"; do
  # Diary files need room for a few 4084-byte records.
  case "$target" in
    fuzz_tab_field|fuzz_scramble) max_len=8192 ;;
    # A zip of this size unpacks to a hundred megabytes: room for a bomb.
    fuzz_journal) max_len=131072 ;;
    *) max_len=16384 ;;
  esac
  work="$out/corpus/$target"
  mkdir -p "$work"
  log="$out/$target.log"
  echo "== $target: ${seconds}s"
  if ! "$out/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb="$rss_limit_mb" \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work" "$here/corpus/$target" \
        >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "FUZZ FAILURE in $target (log: $log)" >&2
    exit 1
  fi
  runs="$(grep -o 'Done [0-9]* runs' "$log" | tail -n 1 | grep -o '[0-9]*' || echo 0)"
  summary+=("$target: $runs runs")
  echo "   $runs runs, no finding"
done
echo "fuzzing: ${summary[*]}"

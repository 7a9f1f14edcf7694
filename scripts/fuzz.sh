#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each one for a bounded time from the committed seed
# corpus. Any crash, sanitizer report or broken property fails the run.
# Usage: scripts/fuzz.sh [seconds per target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for fuzzer in build/fuzz/fuzz/fuzz_*; do
  [[ -x "$fuzzer" && -f "$fuzzer" ]] || continue
  name=$(basename "$fuzzer")
  # The committed corpus stays as it is; what the run finds lives in a scratch copy.
  mkdir -p "$work/$name"
  cp -r "fuzz/corpus/$name/." "$work/$name/" 2>/dev/null || true
  echo "=== $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" -print_final_stats=1 "$work/$name" >"$work/$name.log" 2>&1; then
    status=1
    tail -40 "$work/$name.log"
    for artifact in "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-*; do
      [[ -e "$artifact" ]] && { echo "finding: $artifact"; xxd "$artifact" | head -20; }
    done
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$work/$name.log" || true
done
exit "$status"

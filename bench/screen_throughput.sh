#!/usr/bin/env bash
# `pravik screen` on a generated chain of 1,500,000 calls (scripts/sample_chain.py: the size of
# the whole listed US market), end to end with every core, ranking the best 100; the same with
# a filter on a figure of the model (--max-prob-assigned 100, which keeps every call that has
# odds), so that the model runs for every call; and the same with every call expired, which
# reads and cuts the same CSV and analyses nothing.
# Prints the median wall-clock time of each (slowest and fastest in brackets), and the peak
# memory of the chain against that of a chain of 10,000 calls.
#
# Usage: bench/screen_throughput.sh [PRAVIK]   (RUNS runs each, default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
pravik=${1:-build/release/app/pravik}
runs=${RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scripts/sample_chain.py --calls 1500000 --quotes "$work/quotes.csv" > "$work/chain.csv"
scripts/sample_chain.py --calls 10000 --quotes "$work/small-quotes.csv" > "$work/small.csv"

# Wall-clock seconds and peak kilobytes of one run.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$pravik" screen "$@" > /dev/null 2>&1 || true
  cat "$work/time"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.2f s (%.2f to %.2f)", m, v[1], v[NR] }'
}

: > "$work/screen"
: > "$work/model"
: > "$work/floor"
for _ in $(seq "$runs"); do
  measure "$work/chain.csv" --quotes "$work/quotes.csv" --as-of 2026-12-18 --top 100 \
    >> "$work/screen"
  measure "$work/chain.csv" --quotes "$work/quotes.csv" --as-of 2026-12-18 --top 100 \
    --max-prob-assigned 100 >> "$work/model"
  measure "$work/chain.csv" --quotes "$work/quotes.csv" --as-of 2099-01-01 --top 100 \
    >> "$work/floor"
done
small=$(measure "$work/small.csv" --quotes "$work/small-quotes.csv" --as-of 2026-12-18 --top 100)
echo "1,500,000 calls, $(nproc) cores, $runs runs each, wall clock:"
echo "  screen, top 100         $(cut -d' ' -f1 "$work/screen" | median)"
echo "  the model for each call $(cut -d' ' -f1 "$work/model" | median)"
echo "  reading only (expired)  $(cut -d' ' -f1 "$work/floor" | median)"
awk -v small="${small#* }" '{ if ($2 > peak) peak = $2 } END {
  printf "  peak memory %d KB, against %d KB for 10,000 calls: %.2f times\n", peak, small,
    peak / small }' "$work/screen"

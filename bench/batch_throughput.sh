#!/usr/bin/env bash
# The CSV batch's speed and memory, in one run: bench_batch_jobs (rows per second by the wall clock for
# 1,000,000 rows with one computing thread and with every core, beside the floor of reading and
# writing the same CSV), then the real executable on a generated 1,000,000-row file with
# --jobs 1 and with every core, and its peak memory on 10,000 and on 1,000,000 rows; last,
# pravik analyze --csv on 1,000,000 positions with --jobs 1 and with every core.
#
# Usage: bench/batch_throughput.sh [BUILD_DIR]   (default: build/ci, built with bench_batch_jobs and
# pravik). Medians of RUNS runs (default 5), with the slowest and fastest.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
runs=${RUNS:-5}
pravik=$build/app/pravik
cores=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The rows bench_batch generates: a few hundred different amounts, every months value, and a
# quoted note on every tenth row.
generate() {
  awk -v rows="$1" 'BEGIN {
    print "id,option_price,strike_price,current_price,shares,months,note"
    for (i = 0; i < rows; i++) {
      t = i % 600; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
      printf "%d,%d.%02d,%d,%d.50,%d,%d,%s\n", i, int(cents / 100), cents % 100, strike,
        strike - 2, 100 * (1 + t % 9), 1 + t % 12, (t % 10 == 0 ? "\"note, quoted\"" : "plain")
    }
  }' > "$2"
}
generate 10000 "$work/10k.csv"
generate 1000000 "$work/1m.csv"

# Prints the median, then the smallest and largest, of the numbers on standard input.
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.0f %.0f %.0f\n", m, v[1], v[NR] }'
}

echo "=== bench_batch_jobs (in-process, generated input in memory)"
"$build/bench/bench_batch_jobs" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true

echo
# Wall-clock rows per second of `pravik COMMAND --csv FILE --jobs N`, RUNS times: the median,
# slowest and fastest, then the median processor time of all threads.
throughput() {
  local command=$1 file=$2 jobs=$3
  rm -f "$work/cpu"
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$pravik" "$command" --csv "$file" \
      --jobs "$jobs" > /dev/null
    cat "$work/time" >> "$work/cpu"
    awk '{ printf "%.0f\n", 1000000 / ($1 > 0 ? $1 : 0.01) }' "$work/time"
  done | median | awk -v j="$jobs" '{ printf "  --jobs %-3s %9d rows/s (median; %d to %d)", j, $1, $2, $3 }'
  # The processor time of all threads, which other load on the machine does not inflate.
  awk '{ print ($2 + $3) * 1000 }' "$work/cpu" | median |
    awk '{ printf ", CPU %d ms (all threads)\n", $1 }'
}

echo
echo "=== pravik calc --csv on 1,000,000 rows ($(du -h "$work/1m.csv" | cut -f1)), wall clock, $cores cores"
for jobs in 1 "$cores"; do
  throughput calc "$work/1m.csv" "$jobs"
done

echo
echo "=== peak memory of pravik calc --csv (default --jobs), KiB"
for file in 10k 1m; do
  for _ in $(seq 3); do
    /usr/bin/time -f '%M' -o "$work/memory" "$pravik" calc --csv "$work/$file.csv" > /dev/null
    cat "$work/memory"
  done | median | awk -v f="$file" '{ printf "  %-4s rows %7d KiB (median; %d to %d)\n", f, $1, $2, $3 }'
done

# Positions for analyze: days, months and expiry dates, shares and contracts, fees and dividends.
awk 'BEGIN {
  print "id,option_price,strike_price,current_price,shares,contracts,expiry,as_of,days,months,fees,dividend"
  for (i = 0; i < 1000000; i++) {
    t = i % 600; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
    size = t % 2 ? "," (1 + t % 7) : (100 * (1 + t % 9)) ","
    when = t % 3 == 0 ? "2027-0" (1 + t % 9) "-19,2026-12-18,," : (t % 3 == 1 ? ",," (1 + t % 400) "," : ",,," (1 + t % 12))
    printf "%d,%d.%02d,%d,%d.50,%s,%s,%s\n", i, int(cents / 100), cents % 100, strike, strike - 2,
      size, when, (t % 5 == 0 ? "9.95,0.2" : ",")
  }
}' > "$work/positions.csv"
echo
echo "=== pravik analyze --csv on 1,000,000 positions ($(du -h "$work/positions.csv" | cut -f1)), wall clock, $cores cores"
for jobs in 1 "$cores"; do
  throughput analyze "$work/positions.csv" "$jobs"
done

#!/usr/bin/env bash
# Two builds of pravik side by side in one run: `calc --csv` and `analyze --csv` on the same
# generated 1,000,000-row files (every analysed row a call the odds are formed for: a dividend
# comes with its ex-dividend date), the two executables taking turns so that the load of a shared
# machine falls on both alike. Prints, per command and --jobs, each one's median processor time
# of all threads (slowest and fastest in brackets) and new speed / old speed from the medians.
#
# Usage: bench/compare_batch.sh OLD_PRAVIK NEW_PRAVIK   (RUNS runs each, default 7)
set -euo pipefail
old=$1
new=$2
runs=${RUNS:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN {
  print "id,option_price,strike_price,current_price,shares,months,note"
  for (i = 0; i < 1000000; i++) {
    t = i % 600; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
    printf "%d,%d.%02d,%d,%d.50,%d,%d,%s\n", i, int(cents / 100), cents % 100, strike,
      strike - 2, 100 * (1 + t % 9), 1 + t % 12, (t % 10 == 0 ? "\"note, quoted\"" : "plain")
  }
}' > "$work/calc.csv"
awk 'BEGIN {
  print "id,option_price,strike_price,current_price,shares,contracts,expiry,as_of,days,months,fees,dividend,ex_dividend"
  for (i = 0; i < 1000000; i++) {
    t = i % 600; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
    size = (t % 2 ? sprintf("%d,", 100 * (1 + t % 9)) : sprintf(",%d", 1 + t % 9))
    if (t % 3 == 0) time = sprintf("2027-%02d-19,2026-12-18,,", 1 + t % 12)
    else if (t % 3 == 1) time = sprintf(",,%d,", 1 + t % 700)
    else time = sprintf(",,,%d", 1 + t % 12)
    printf "%d,%d.%02d,%d,%d.50,%s,%s,%s,%s\n", i, int(cents / 100), cents % 100, strike,
      strike - 2, size, time, (t % 4 ? "" : "9.95"), (t % 15 ? "," : "0.24,2027-01-15")
  }
}' > "$work/analyze.csv"

# Processor time of all threads in milliseconds, which other load inflates least.
cpu() {
  /usr/bin/time -f '%U %S' -o "$work/time" "$@" > /dev/null 2>&1 || true
  awk '{ printf "%.0f\n", ($1 + $2) * 1000 }' "$work/time"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.0f %.0f %.0f\n", m, v[1], v[NR] }'
}

for command in calc analyze; do
  for jobs in 1 "$(nproc)"; do
    : > "$work/old"
    : > "$work/new"
    for _ in $(seq "$runs"); do
      cpu "$old" "$command" --csv "$work/$command.csv" --jobs "$jobs" >> "$work/old"
      cpu "$new" "$command" --csv "$work/$command.csv" --jobs "$jobs" >> "$work/new"
    done
    read -r om olo ohi < <(median < "$work/old")
    read -r nm nlo nhi < <(median < "$work/new")
    awk -v c="$command" -v j="$jobs" -v om="$om" -v olo="$olo" -v ohi="$ohi" -v nm="$nm" \
      -v nlo="$nlo" -v nhi="$nhi" 'BEGIN {
        printf "%-8s --jobs %s  old %6d ms (%d to %d)  new %6d ms (%d to %d)  new speed / old %.3f\n",
          c, j, om, olo, ohi, nm, nlo, nhi, om / nm }'
  done
done

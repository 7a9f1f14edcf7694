#!/usr/bin/env bash
# Runs two builds of pravik side by side on the same command lines and inputs and fails on the
# first difference in standard output, standard error, a written file or the exit status: the
# check that a change to the command line's code changed no output.
#
# Usage: scripts/compare-outputs.sh OLD_PRAVIK NEW_PRAVIK
# The inputs: the CSV fuzzing corpus, a generated 100,000-row file of each command (complete,
# refused and incomplete rows, quoting, other dialects) and a list of single positions and
# usage errors; each batch with the options a script would give.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A build=([old]=$(realpath "$1") [new]=$(realpath "$2"))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY LC_ALL LC_NUMERIC LC_MONETARY LC_TIME LANGUAGE
export LANG=en_US.UTF-8 TZ=UTC
cases=0

# compare INPUT ARGS...: one command line on both builds, INPUT as standard input. With
# HELP_CHANGED=1 standard output, the help, is left out: its wording changed on purpose.
compare() {
  local input
  input=$(realpath "$1")
  shift
  local side
  for side in old new; do
    mkdir -p "$work/$side"
    local status=0
    (cd "$work/$side" && "${build[$side]}" "$@" <"$input" >stdout 2>stderr) || status=$?
    echo "$status" >"$work/$side/status"
    if [[ ${HELP_CHANGED:-0} == 1 ]]; then rm "$work/$side/stdout"; fi
  done
  if ! diff -r "$work/old" "$work/new" >"$work/diff"; then
    echo "differs: pravik $* <$input" >&2
    head -20 "$work/diff" >&2
    exit 1
  fi
  rm -rf "$work/old" "$work/new"
  cases=$((cases + 1))
}

# 100,000 rows of calc: a few hundred amounts, every months value and some that are not, letters,
# empty fields, numbers too large, quoted fields with delimiters and line breaks.
awk 'BEGIN {
  print "id,option_price,strike_price,current_price,shares,months,note"
  for (i = 0; i < 100000; i++) {
    t = i % 700; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
    months = (t % 50 == 0 ? "13" : (t % 45 == 0 ? "" : 1 + t % 12))
    option = (t % 61 == 0 ? "1.2x" : (t % 67 == 0 ? "1E300" : int(cents / 100) "." cents % 100))
    note = (t % 10 == 0 ? "\"note, \"\"quoted\"\"\nacross lines\"" : (t % 11 == 0 ? "=1+2" : "plain"))
    shares = (t % 53 == 0 ? "\"1,000\"" : 100 * (1 + t % 9))
    printf "%d,%s,%d,%d.50,%s,%s,%s\n", i, option, strike, strike - 2, shares, months, note
  }
}' >"$work/calc.csv"
# The same positions for analyze: days, months or dates in turn, contracts, fees and dividends.
awk 'BEGIN {
  print "id,option_price,strike_price,current_price,shares,contracts,days,months,expiry,as_of,fees,dividend,note"
  for (i = 0; i < 100000; i++) {
    t = i % 700; cents = 25 + (t * 37) % 400; strike = 20 + t % 30
    size = (t % 5 == 0 ? "," 1 + t % 9 : 100 * (1 + t % 9) ",")
    time = (t % 3 == 0 ? 1 + t % 400 ",,," : (t % 3 == 1 ? "," 1 + t % 12 ",," : ",,2027-0" 1 + t % 9 "-19,2026-12-18"))
    if (t % 59 == 0) time = "0,,,"
    if (t % 71 == 0) time = ",,2027-02-30,"
    option = (t % 61 == 0 ? "abc" : (t % 67 == 0 ? "" : int(cents / 100) "." cents % 100))
    strike = (t % 73 == 0 ? "900000000000000" : strike)
    printf "%d,%s,%s,%d.50,%s,%s,%s,%s,%s\n", i, option, strike, strike - 2, size, time,
      (t % 4 == 0 ? "9.95" : ""), (t % 7 == 0 ? "0.24" : ""), (t % 10 == 0 ? "\"a, b\"" : "plain")
  }
}' >"$work/analyze.csv"
# The calc file as a German spreadsheet writes it, and with Windows line endings and a BOM.
sed 's/,/;/g; s/\([0-9]\)\.\([0-9]\)/\1,\2/g' "$work/calc.csv" >"$work/calc-semicolon.csv"
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' "$work/calc.csv"; } >"$work/calc-crlf-bom.csv"

for options in "" "--plain" "--jobs 1" "--jobs 3" "--locale de_DE" "--locale C --plain"; do
  # shellcheck disable=SC2086 # the options are words
  {
    compare "$work/calc.csv" calc --csv $options
    compare "$work/calc-crlf-bom.csv" calc --csv $options
    compare "$work/analyze.csv" analyze --csv $options
  }
done
compare "$work/calc-semicolon.csv" calc --csv --locale de_DE
compare "$work/calc-semicolon.csv" calc --csv --delimiter ";" --locale de_DE --plain
compare "$work/calc.csv" calc --csv - --output results.csv
compare "$work/analyze.csv" analyze --csv=- --output results.csv --jobs 2
compare /dev/null calc --csv "$work/calc.csv"
for file in fuzz/corpus/fuzz_csv/* "$work/calc.csv"; do
  for command in calc analyze; do
    compare "$file" "$command" --csv
    compare "$file" "$command" --csv --plain --jobs 2
  done
  compare "$file" calc --csv --replace-results
done

# Single positions, every form of output, and the command lines that are refused.
calc=(--option-price 1.25 --strike-price 30 --current-price 28.50 --shares 500)
analyze=(analyze "${calc[@]}")
while IFS= read -r line; do
  eval "set -- $line"
  if [[ $* == "help calc" || $* == "help analyze" || $* == calc || $* == analyze || $* == *" --help" ]]; then
    HELP_CHANGED=1 compare /dev/null "$@"
  else
    compare /dev/null "$@"
  fi
done <<EOF
calc ${calc[*]} --months 3
calc ${calc[*]} --months 3 --json
calc ${calc[*]} --months 3 --plain
calc ${calc[*]} --months 3 --plain --json
calc ${calc[*]}
calc ${calc[*]} --json --plain
calc ${calc[*]} --months 13
calc ${calc[*]} --months 13 --json
calc --option-price 1,25 --strike-price 30 --current-price 28,50 --shares 500 --months 3 --locale de_DE
calc --option-price abc --strike-price '' --current-price =1 --shares 500 --months 3 --json
calc --option-price=-1 --strike-price=-2 --current-price=1 --shares=1 --months=1
calc ${calc[*]} --months 3 --output out.txt
calc ${calc[*]} --months 3 --output /nonexistent/out.txt
calc
calc --months 3
calc --csv --json
calc --csv a b
calc --csv --months 3
calc --delimiter ';'
calc --jobs 2
calc --replace-results
calc ${calc[*]} extra
calc --csv --delimiter x
calc --csv --jobs 0
calc --csv --locale xx_YY
calc --csv --jobs 2 --jobs 3
calc --frobnicate
calc --csv /nonexistent.csv
calc --csv /
${analyze[*]} --months 3
${analyze[*]} --days 91 --json
${analyze[*]} --days 91 --plain
${analyze[*]} --days 91 --plain --json
${analyze[*]} --expiry 2027-03-19 --as-of 2026-12-18 --fees 9.95 --dividend 0.24
${analyze[*]} --expiry 2027-03-19 --as-of 2027-03-19
${analyze[*]} --contracts 5 --days 91
${analyze[*]} --days 91 --months 3 --json
analyze --option-price 1 --strike-price 900000000000000 --current-price 28.50 --shares 1000 --days 30
analyze --option-price abc --days x
analyze
analyze --csv --json
analyze --csv --days 3
analyze --csv --chart x.png
analyze --chart x.png --csv
analyze --jobs 2
analyze --delimiter tab
analyze --csv a b
analyze --frobnicate
${analyze[*]} --days 91 --output out.txt
help calc
help analyze
help nonsense
calc --help
analyze --help
--help
help
help calc extra
nonsense
--version
--frobnicate
EOF
echo "$cases command lines, the same output, messages, files and status from both builds"

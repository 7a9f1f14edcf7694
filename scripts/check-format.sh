#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
((${#files[@]} == 0)) && exit 0
bad=()
for f in "${files[@]}"; do
  if ! clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if ((${#bad[@]} > 0)); then
  echo "Not formatted (run: clang-format -i ${bad[*]}):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi

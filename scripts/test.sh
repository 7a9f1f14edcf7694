#!/usr/bin/env bash
# Installs what is missing, checks the formatting, fuzzes the core for a bounded time, then
# builds and runs every test twice: a release build and a sanitizer build (address and
# undefined behaviour), warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
scripts/check-layout.sh

echo "=== fuzzing"
scripts/fuzz.sh 60

for preset in ci ci-sanitize; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

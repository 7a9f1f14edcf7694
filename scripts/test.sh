#!/usr/bin/env bash
# Installs what is missing, checks the formatting, fuzzes the core for a bounded time, then
# builds and runs every test twice: a release build and a sanitizer build (address and
# undefined behaviour), warnings as errors; then the command line's tests under the thread
# sanitizer.
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

# The command line's tests once more under the thread sanitizer: the batch's threads must not
# race. Only pravik and those tests are built there.
echo "=== tsan"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j2

#!/usr/bin/env bash
# Installs what is missing, checks the formatting and the shell scripts, fuzzes the core for a
# bounded time, then builds and runs every test twice: a release build and a sanitizer build
# (address, undefined behaviour and leaks), warnings as errors. The lint gate (clang-tidy) runs
# over the release build once it is built; the command line's tests run once more under the
# thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
scripts/check-layout.sh

echo "=== shellcheck"
git ls-files -z 'scripts/*.sh' 'tests/*.sh' | xargs -0 shellcheck -x -P SCRIPTDIR

echo "=== fuzzing"
scripts/fuzz.sh 30

for preset in ci ci-sanitize; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
  if [[ $preset == ci ]]; then
    scripts/tidy.sh build/ci
  fi
done

# The command line's tests once more under the thread sanitizer: the batch's threads must not
# race. Only pravik and those tests are built there.
echo "=== tsan"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j2

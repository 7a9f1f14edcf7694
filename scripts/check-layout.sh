#!/usr/bin/env bash
# Fails when a folder includes a header of a folder it may not use. Which folder may use which is
# README.md's Layout table; the CMake targets link exactly that, and this keeps the includes to it.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the folders its code may include from (its own is always allowed).
declare -A allowed=(
  [calc]=""
  [csv]=""
  [identity]=""
  [resources]=""
  [locale]="calc"
  [runtime]="identity"
  [chart]="calc"
  [forms]="calc pricing runtime resources identity chart"
  [pricing]="calc"
  [cli]="calc pricing csv locale identity chart"
  [app]="calc pricing csv cli forms runtime locale resources identity chart"
  [packaging]=""
  [bench]="calc pricing csv cli"
  [fuzz]="calc pricing csv cli tests"
)

status=0
while IFS= read -r file; do
  folder=${file%%/*}
  [[ -v "allowed[$folder]" ]] || continue
  permitted=" $folder ${allowed[$folder]} "
  # A library's own tests may also use the shared test support.
  [[ $file == */tests/* ]] && permitted+=" tests "
  while IFS= read -r included; do
    target=${included%%/*}
    if [[ $permitted != *" $target "* ]]; then
      echo "$file includes \"$included\": $folder may not use $target/" >&2
      status=1
    fi
  done < <(sed -n -E 's/^#include "([a-z_]+\/[^"]+)".*/\1/p' "$file")
done < <(git ls-files '*.cpp' '*.h' '*.h.in')
exit "$status"

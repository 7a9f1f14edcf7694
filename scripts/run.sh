#!/usr/bin/env bash
# Installs what is missing, builds a release build and opens the calculator. With no display
# (no X server and no Wayland), it runs the calculator on a virtual X server instead, saves a
# picture of the main window and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
# Only the program and what it is made of: the tests and benchmarks are the test command's.
cmake --build --preset release --target pravik

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec build/release/app/pravik "$@"
fi

shot=build/release/main-window.png
echo "No display here: running the calculator on a virtual X server (Xvfb)."
scripts/screenshots.sh --window-only "$shot" build/release/app/pravik
echo "The main window: $(pwd)/$shot"

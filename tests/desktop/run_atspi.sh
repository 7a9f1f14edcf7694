#!/usr/bin/env bash
# Runs the AT-SPI test inside a virtual X server and a D-Bus session of its own.
# Usage: run_atspi.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1

for tool in dbus-run-session xprop xdotool; do
  command -v "$tool" >/dev/null || {
    echo "$tool is not installed (scripts/install-deps.sh installs it)"
    exit 1
  }
done
/usr/bin/python3 -c "import pyatspi" || {
  echo "Debian's python3-pyatspi is not installed (scripts/install-deps.sh installs it)"
  exit 1
}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# The settings the window keeps between runs: a folder of the test's, never the user's own.
export XDG_CONFIG_HOME=$work/config
# shellcheck source=virtual_display.sh
source "$here/virtual_display.sh"
trap 'stop_virtual_display; rm -rf "$work"' EXIT
start_virtual_display "$work"

timeout --kill-after=5 120 dbus-run-session -- /usr/bin/python3 \
  "$here/atspi_worked_example.py" "$program"

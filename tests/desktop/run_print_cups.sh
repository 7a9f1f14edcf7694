#!/usr/bin/env bash
# Runs the printing test: a print server of its own, a virtual X server and a D-Bus session.
# Usage: run_print_cups.sh PROGRAM OUTPUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1 output=$2
skip=77

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIPPED: starting a print server and adding a printer needs root; this runs as $(id -un)"
  exit $skip
fi
if pgrep -x cupsd >/dev/null; then
  echo "SKIPPED: a print server is already running on this machine; this test starts its own"
  echo "and will not change the printers of one it did not start"
  exit $skip
fi
for tool in cupsd lpadmin lpstat pdftoppm dbus-run-session xprop xdotool; do
  command -v "$tool" >/dev/null || {
    echo "$tool is not installed (scripts/install-deps.sh installs it)"
    exit 1
  }
done
[[ -x /usr/lib/cups/backend/cups-pdf ]] || {
  echo "the cups-pdf printer is not installed (scripts/install-deps.sh installs it)"
  exit 1
}
/usr/bin/python3 -c "import pyatspi, PIL" || {
  echo "Debian's python3-pyatspi and python3-pil are needed (scripts/install-deps.sh)"
  exit 1
}

rm -rf "$output"
mkdir -p "$output"
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# The settings the window keeps between runs: a folder of the test's, never the user's own.
export XDG_CONFIG_HOME=$work/config
# shellcheck source=virtual_display.sh
source "$here/virtual_display.sh"
cleanup() {
  # Should the test itself have been killed, its print server must not outlive it.
  if [[ -f "$output/cupsd.pid" ]]; then
    pid=$(cat "$output/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      lpadmin -x VeltraneTestPDF 2>/dev/null || true
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$output/cupsd.pid"
  fi
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT
start_virtual_display "$work"

timeout --kill-after=5 240 dbus-run-session -- /usr/bin/python3 "$here/print_cups.py" \
  "$program" "$output"

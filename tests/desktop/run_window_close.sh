#!/usr/bin/env bash
# Closes the main window through the window system, on a virtual X server with a window manager
# (twm) where one is installed and without one otherwise.
# Usage: run_window_close.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1

command -v xdotool >/dev/null || {
  echo "xdotool is not installed (scripts/install-deps.sh installs it)"
  exit 1
}
/usr/bin/python3 -c "import Xlib" || {
  echo "Debian's python3-xlib is not installed (scripts/install-deps.sh installs it)"
  exit 1
}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# The settings the window keeps between runs: a folder of the test's, never the user's own.
export XDG_CONFIG_HOME=$work/config
# shellcheck source=virtual_display.sh
source "$here/virtual_display.sh"
wm_pid=
trap '[[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null; stop_virtual_display; rm -rf "$work"' EXIT
start_virtual_display "$work"

if command -v twm >/dev/null; then
  # New windows placed at once, not by a click.
  printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$work/twmrc"
  twm -f "$work/twmrc" >"$work/twm.log" 2>&1 &
  wm_pid=$!
  sleep 0.5
  kill -0 "$wm_pid" || {
    echo "twm did not start:"
    cat "$work/twm.log"
    exit 1
  }
  echo "window manager: twm"
else
  echo "window manager: none (twm is not installed)"
fi

timeout --kill-after=5 880 /usr/bin/python3 "$here/window_close.py" "$program"

# shellcheck shell=bash
# Sourced by the desktop tests: a virtual X server of their own, ended when the script exits.
# Sets DISPLAY; the caller's EXIT trap must call stop_virtual_display.

start_virtual_display() {
  local dir=$1
  if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed (scripts/install-deps.sh installs it)"
    return 1
  fi
  : >"$dir/display"
  # -displayfd picks a free display number and writes it once the server takes connections;
  # -noreset keeps the server from resetting, and refusing connections meanwhile, each time its
  # last client leaves (xprop below is one).
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" \
    2>"$dir/xvfb.log" &
  xvfb_pid=$!
  local waited=0
  until [[ -s "$dir/display" ]]; do
    if ((waited >= 100)) || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start:"
      cat "$dir/xvfb.log"
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  DISPLAY=":$(head -n1 "$dir/display")"
  export DISPLAY
  # A bus address left on the root window by an earlier session would point the program at a
  # dead accessibility bus.
  xprop -root -remove AT_SPI_BUS 2>/dev/null || true
}

stop_virtual_display() {
  if [[ -n "${xvfb_pid:-}" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

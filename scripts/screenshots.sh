#!/usr/bin/env bash
# Runs the real program on a virtual X server (Xvfb) and photographs its windows.
#
#   scripts/screenshots.sh [PRAVIK]
#       types the worked example with the keyboard and saves docs/main-window.png and, after
#       Help, About, docs/about-dialog.png.
#   scripts/screenshots.sh --window-only OUTPUT.png [PRAVIK]
#       saves the main window as it opens.
#
# PRAVIK defaults to build/release/app/pravik. Every wait is bounded: the script never hangs.
set -euo pipefail
cd "$(dirname "$0")/.."

# The part that runs inside the virtual display: this script again, called by xvfb-run.
inside() {
  local mode=$1 pravik=$2 output=$3
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  "$pravik" &
  pravik_pid=$!
  trap 'kill "$pravik_pid" 2>/dev/null || true; wait "$pravik_pid" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT

  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Veltrane$' | head -n 1)
  if [[ -z "$window" ]]; then
    echo "screenshots: the main window did not open" >&2
    return 1
  fi
  # No window manager here: give the window the keyboard ourselves.
  xdotool windowfocus --sync "$window"
  sleep 0.5

  if [[ "$mode" == docs ]]; then
    local field
    for field in 1.25 30 28.50 500; do
      xdotool type --delay 40 "$field"
      xdotool key Return
    done
    xdotool key Down Down Down Return Return
    sleep 0.5
    import -window "$window" "$output"

    xdotool key alt+h
    sleep 0.5
    xdotool key b
    local about
    about=$(timeout 10 xdotool search --sync --onlyvisible --name '^About Veltrane $' | head -n 1)
    if [[ -z "$about" ]]; then
      echo "screenshots: the About dialog did not open" >&2
      return 1
    fi
    sleep 0.5
    import -window "$about" docs/about-dialog.png
    xdotool key Return
  else
    import -window "$window" "$output"
  fi
}
if [[ "${1:-}" == "--inside" ]]; then
  shift
  inside "$@"
  exit
fi

mode=docs
output=""
if [[ "${1:-}" == "--window-only" ]]; then
  mode=window
  output=$2
  shift 2
fi
pravik=${1:-build/release/app/pravik}

for tool in xvfb-run xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "screenshots: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 77 # tells CTest the check could not run
  fi
done
if [[ ! -x "$pravik" ]]; then
  echo "screenshots: no program at $pravik (build it first)" >&2
  exit 1
fi

if [[ "$mode" == docs ]]; then
  mkdir -p docs
  output=docs/main-window.png
fi
mkdir -p "$(dirname "$output")"


timeout -k 5 90 xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -nolisten tcp" \
  "$0" --inside "$mode" "$pravik" "$output"

if [[ "$mode" == docs ]]; then
  echo "Saved docs/main-window.png and docs/about-dialog.png"
else
  echo "Saved $output"
fi

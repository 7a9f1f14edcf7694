#!/usr/bin/env bash
# Runs the real program on a virtual X server (Xvfb) and photographs its windows.
#
#   scripts/screenshots.sh [PRAVIK]
#       types the worked example with the keyboard and saves, in docs/:
#         main-window.png, about-dialog.png, analysis-window.png   light palette
#         main-window-dark.png, analysis-window-dark.png            a dark desktop theme, reached
#             by the platform's own route: Qt's GTK platform theme with GTK_THEME=Adwaita:dark
#         analysis-window-2x.png                                    device pixel ratio 2
#         screen-window.png, screen-window-dark.png, screen-window-2x.png   View, Screen Option
#             Chain on docs/examples/chain.csv as of 2026-12-18 at a rate of 4.5 %
#   scripts/screenshots.sh --window-only OUTPUT.png [PRAVIK]
#       saves the main window as it opens.
#
# PRAVIK defaults to build/release/app/pravik. Every wait is bounded: the script never hangs.
set -euo pipefail
[[ -n "${SCREENSHOTS_TRACE:-}" ]] && set -x
cd "$(dirname "$0")/.."

# Starts the program with the environment given before it, and waits for its main window.
start() {
  env "$@" &
  pravik_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pravik_pid" --name '^Veltrane$' |
    head -n 1)
  if [[ -z "$window" ]]; then
    echo "screenshots: the main window did not open" >&2
    return 1
  fi
  # No window manager here: give the window the keyboard ourselves.
  xdotool windowfocus --sync "$window"
  sleep 0.5
}

stop() {
  kill "$pravik_pid" 2>/dev/null || true
  wait "$pravik_pid" 2>/dev/null || true
}

worked_example() {
  local field
  for field in 1.25 30 28.50 500; do
    xdotool type --delay 40 "$field"
    xdotool key Return
  done
  # The months by typing "3" (under the GTK theme Down opens the list instead of moving in it),
  # then Calculate by its access key.
  xdotool type 3
  sleep 0.3
  xdotool key alt+a
  sleep 0.5
}

# The largest of the program's visible windows titled exactly $1 (a search by name also
# turns up the window's owner).
largest_window() {
  local id best="" most=0 WIDTH HEIGHT
  for id in $(xdotool search --onlyvisible --pid "$pravik_pid" --name "$1"); do
    [[ "$(xdotool getwindowname "$id")" == "$1" ]] || continue
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
    if ((WIDTH * HEIGHT > most)); then
      most=$((WIDTH * HEIGHT))
      best=$id
    fi
  done
  echo "$best"
}

# Opens a window of the View menu by its access key $1 and prints the id of the window titled
# exactly $2.
view_window() {
  local id
  xdotool key alt+v
  sleep 0.5
  xdotool key "$1"
  timeout 10 xdotool search --sync --onlyvisible --pid "$pravik_pid" --name "^$2\$" >/dev/null ||
    true
  sleep 1
  id=$(largest_window "$2")
  if [[ -z "$id" ]]; then
    echo "screenshots: the $2 window did not open" >&2
    return 1
  fi
  echo "$id"
}

# View, Position Analysis, by keyboard; photographs the window that opens.
analysis_window() {
  local analysis
  analysis=$(view_window p 'Position Analysis')
  import -window "$analysis" "$1"
}

# View, Screen Option Chain, by keyboard: the sample chain screened, photographed.
screen_window() {
  local output=$1 screen
  xdotool windowfocus --sync "$window"
  screen=$(view_window s 'Screen Option Chain')
  xdotool windowfocus --sync "$screen"
  # The focus starts in the chain file; then the as-of date and the rate by their access keys.
  xdotool type --delay 20 docs/examples/chain.csv
  xdotool key alt+a ctrl+a
  xdotool type --delay 20 2026-12-18
  xdotool key alt+i
  xdotool type --delay 20 4.5
  xdotool key alt+s
  sleep 2
  import -window "$screen" "$output"
}

# The part that runs inside the virtual display: this script again, called by xvfb-run.
inside() {
  local mode=$1 pravik=$2 output=$3
  XDG_RUNTIME_DIR=$(mktemp -d)
  # Settings of its own: a rate or volatility the user's analysis window kept stays out of them.
  XDG_CONFIG_HOME=$XDG_RUNTIME_DIR/config
  export XDG_RUNTIME_DIR XDG_CONFIG_HOME
  trap 'stop; rm -rf "$XDG_RUNTIME_DIR"' EXIT
  # The reference regional settings, so that the pictures show the README's texts.
  local base=(LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb)
  local dark=(QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark)

  if [[ "$mode" != docs ]]; then
    start "${base[@]}" "$pravik"
    import -window "$window" "$output"
    return
  fi

  start "${base[@]}" "$pravik"
  worked_example
  import -window "$window" docs/main-window.png
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
  sleep 0.5
  xdotool windowfocus --sync "$window"
  analysis_window docs/analysis-window.png
  screen_window docs/screen-window.png
  stop

  start "${base[@]}" "${dark[@]}" "$pravik"
  worked_example
  import -window "$window" docs/main-window-dark.png
  analysis_window docs/analysis-window-dark.png
  screen_window docs/screen-window-dark.png
  stop

  start "${base[@]}" QT_SCALE_FACTOR=2 "$pravik"
  worked_example
  analysis_window docs/analysis-window-2x.png
  screen_window docs/screen-window-2x.png
  stop
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

# Room for the analysis window at twice the size.
timeout -k 5 180 xvfb-run --auto-servernum --server-args="-screen 0 2560x1600x24 -nolisten tcp" \
  "$0" --inside "$mode" "$pravik" "$output"

if [[ "$mode" == docs ]]; then
  echo "Saved docs/main-window.png, main-window-dark.png, about-dialog.png, analysis-window.png,"
  echo "analysis-window-dark.png, analysis-window-2x.png, screen-window.png, screen-window-dark.png"
  echo "and screen-window-2x.png"
else
  echo "Saved $output"
fi

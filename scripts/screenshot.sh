#!/usr/bin/env bash
# Takes a screenshot of the ZIRF window, as for the README: starts a private Xvfb display
# with openbox, runs the program, optionally opens a picture through the file dialog,
# zooms in with the wheel and adds the grid, then writes the window with its title bar
# as a PNG file and stops everything it started. Builds nothing.
#
#   scripts/screenshot.sh [-b program] [-p picture] [-z wheel-clicks] [-g] output.png
#
#   -b program   the built program (default build/zirf)
#   -p picture   a picture to open by typing its path into the file dialog
#   -z clicks    wheel clicks towards a larger zoom, with the pointer on the view
#   -g           click Add Grid (needs a picture)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
config="$here/../tests/e2e/openbox-rc.xml"
program=build/zirf
picture=""
clicks=0
grid=0
timeout=10 # seconds for every wait

usage() {
  sed -n '7,12p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

while getopts "b:p:z:gh" option; do
  case "$option" in
  b) program=$OPTARG ;;
  p) picture=$OPTARG ;;
  z) clicks=$OPTARG ;;
  g) grid=1 ;;
  *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || usage
output=$1
[[ "$clicks" =~ ^[0-9]+$ ]] || usage
[ -x "$program" ] || { echo "screenshot.sh: no program at $program (build it first)" >&2; exit 1; }
[ -z "$picture" ] || [ -f "$picture" ] || { echo "screenshot.sh: no picture at $picture" >&2; exit 1; }
[ -z "$picture" ] || picture=$(realpath "$picture")
for tool in Xvfb openbox xdotool xwininfo xprop import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
pids=() # started processes, stopped in reverse order

cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "screenshot.sh: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log"):" >&2; cat "$log" >&2; }
  done
  exit 1
}

# wait_for command...: runs command every tenth of a second until it succeeds, for at most $timeout seconds.
wait_for() {
  local deadline=$((SECONDS + timeout))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# --- the display: the first number from 90 on whose lock file and socket are both absent
display=""
for ((n = 90; n < 290; n++)); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  # -displayfd: the server writes its number once it accepts connections.
  : >"$work/displayfd"
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset -displayfd 3 3>"$work/displayfd" 2>"$work/xvfb.log" &
  server=$!
  if wait_for grep -q . "$work/displayfd" && kill -0 "$server" 2>/dev/null; then
    pids+=("$server")
    display=$n
    break
  fi
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
done
[ -n "$display" ] || fail "no free X display"

# Everything on the private display runs in a clean environment.
clean_env=(env -i PATH="$PATH" DISPLAY=":$display" LANG=C.UTF-8 HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
  QT_QPA_PLATFORM=xcb)
on_display() { "${clean_env[@]}" "$@"; }

"${clean_env[@]}" openbox --config-file "$config" --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { on_display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for wm_ready || fail "openbox did not start"

program=$(realpath "$program")
(cd "$work/home" && exec "${clean_env[@]}" "$program") >"$work/zirf.log" 2>&1 &
pids+=($!)

# --- helpers on the display
search() { on_display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(search "$1")" ]; }
no_window() { [ -z "$(search "$1")" ]; }
focused() { [ "$(on_display xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# geometry window: sets x, y, width, height to the window's inner area on the screen
geometry() {
  local info
  info=$(on_display xwininfo -id "$1")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  width=$(sed -n 's/.*Width: *//p' <<<"$info")
  height=$(sed -n 's/.*Height: *//p' <<<"$info")
}
# grey_pixels WxH+X+Y: the offsets, in reading order, of the view's grey pixels in that strip of the screen
grey_pixels() {
  on_display import -window root -crop "$1" +repage -depth 8 txt:- |
    awk -F'[,:]' '/#808080/ { print ($2 > 0 ? $2 : $1) }'
}
grey_at() { [ "$(grey_pixels "1x1+$1+$2")" = "0" ]; }
# still: true when the window looks the same in two screenshots a tenth of a second apart
still() {
  on_display import -window root -crop "${width}x${height}+${x}+${y}" +repage "$work/a.png"
  sleep 0.1
  on_display import -window root -crop "${width}x${height}+${x}+${y}" +repage "$work/b.png"
  cmp -s "$work/a.png" "$work/b.png"
}

title='^ZIRF 1\.0'
dialog='^Please choose file to open\.\.$'
wait_for has_window "$title" || fail "the program's window did not appear"
window=$(search "$title")
wait_for focused "$window" || fail "the program's window did not get the focus"
geometry "$window"
middle_x=$((x + width / 2))
middle_y=$((y + height / 2))
wait_for grey_at "$middle_x" "$middle_y" || fail "the program's view was not drawn"

# The client area (below the menu bar) from the empty view: the scroll area sits 5 pixels
# from the left and 30 below the client area's top, and its frame is as wide at the left
# as at the top.
view_top=$((y + $(grey_pixels "1x${height}+${middle_x}+${y}" | head -n 1)))
view_left=$((x + $(grey_pixels "${width}x1+${x}+${middle_y}" | head -n 1)))
frame=$((view_left - x - 5))
client_y=$((view_top - frame - 30))

if [ -n "$picture" ]; then
  on_display xdotool key ctrl+o
  wait_for has_window "$dialog" || fail "Ctrl+O opened no file dialog"
  wait_for focused "$(search "$dialog")" || fail "the file dialog did not get the focus"
  on_display xdotool type --delay 20 -- "$picture"
  on_display xdotool key Return
  wait_for no_window "$dialog" || fail "the file dialog did not close"
  wait_for focused "$window" || fail "the focus did not come back to the window"
fi
if ((clicks > 0)); then
  on_display xdotool mousemove --sync "$middle_x" "$middle_y"
  on_display xdotool click --repeat "$clicks" --delay 80 4
fi
if ((grid)); then
  on_display xdotool mousemove --sync $((x + 270)) $((client_y + 15)) click 1
fi
on_display xdotool mousemove --sync 0 0 # no hover highlight in the picture
wait_for still || fail "the window did not settle"

# The window with the window manager's frame around it.
read -r left right top bottom < <(on_display xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= *//; s/,//g')
on_display import -window root -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
  +repage "$work/shot.png"
mv "$work/shot.png" "$output"
echo "$output"

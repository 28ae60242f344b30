#!/usr/bin/env bash
# Frames a second of the viewer itself on one data file: orvelle is started under the X
# display in DISPLAY, in a folder holding only that file, the file is picked in "Files:" with
# the mouse, the display type chosen under "Data Display" (DISPLAY_TYPE: points, joined,
# needled, grid or filled; joined, the default, needs no click), and then, while key "y"
# turns the scene by a degree at a time as fast as the keys come (so that there is always a
# changed view to draw: at rest the viewer draws nothing), the buffer swaps of the process
# are counted for SECONDS with a probe on glXSwapBuffers. The panels draw only when
# something they show changes, and the turn shows in none of them, so every swap is a
# frame of the display window.
#   bench/viewer_rate.sh ORVELLE FILE [SECONDS [DISPLAY_TYPE]]
# Prints "frames-per-second: F", or one line saying why there is no figure (exit 1).
# Needs root (for the probe), perf, xdotool.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)  # before the script changes folder

viewer=$(realpath "$1")
file=$2
seconds=${3:-10}
display_type=${4:-joined}
case $display_type in
  points) type_row=0 ;; joined) type_row=1 ;; needled) type_row=2 ;; grid) type_row=3 ;; filled) type_row=4 ;;
  *) echo "no viewer rate: unknown display type $display_type"; exit 1 ;;
esac

for tool in perf xdotool; do
  command -v "$tool" > /dev/null || { echo "no viewer rate: $tool is not installed"; exit 1; }
done
[ -x "$viewer" ] || { echo "no viewer rate: $viewer has not been built"; exit 1; }

work=$(mktemp -d)
pid=""
keys=""
cleanup() {
  [ -n "$keys" ] && kill "$keys" 2> /dev/null
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  drop_swap_probe
  rm -rf "$work"
}
trap cleanup EXIT
source "$here/swap_probe.sh"
set_swap_probe "no viewer rate"

mkdir "$work/data"
ln -s "$(realpath "$file")" "$work/data/$(basename "$file")"
cd "$work/data" || exit 1
"$viewer" > "$work/out.txt" 2> "$work/err.txt" &
pid=$!

# Waits until orvelle has printed a line matching the pattern.
wait_for() {
  local i
  for ((i = 0; i < 600; i++)); do
    grep -q -- "$1" "$work/out.txt" && return 0
    kill -0 "$pid" 2> /dev/null || { echo "no viewer rate: orvelle ended: $(head -3 "$work/err.txt" | tr "\n" " ")"; exit 1; }
    sleep 0.1
  done
  echo "no viewer rate: orvelle did not print \"$1\""
  exit 1
}

# click WINDOW X Y: a press and a release apart in time, as a hand makes them.
source "$here/../scripts/hand_click.sh"

wait_for "^GLUI version"
sleep 1
panel=$(xdotool search --name '^Control Display$' | head -1)
[ -n "$panel" ] || { echo "no viewer rate: no \"Control Display\" window"; exit 1; }
# "Files:" (row 15 of the panel, below the open "Specify Data File" rollout and its five
# formats) opens its list: "Choose Model", then the file, 17 pixels a line.
click "$panel" 110 344
click "$panel" 100 387
wait_for "^fnTrf.nx = "
if [ "$type_row" != 1 ]; then
  # "Display Options", its "Mono/Stereo" (seven view modes) and "Data Display" (the rows
  # road_of_a_file.sh uses), then the display type's button, 23 pixels a row.
  for y in 40 63 276; do
    click "$panel" 100 "$y"
  done
  click "$panel" 80 $((299 + 23 * type_row))
fi
display=$(xdotool search --name '^Orvelle<no stereo>$' | head -1)
[ -n "$display" ] || { echo "no viewer rate: no display window"; exit 1; }
xdotool key --window "$display" y 2> /dev/null
sleep 5  # the kept geometry is built in the first frames
xdotool key --window "$display" --delay 2 --repeat $((seconds * 600)) y 2> /dev/null &
keys=$!
sleep 1
count=$(perf stat -x, -e "$swap_event" -p "$pid" sleep "$seconds" 2>&1 | awk -F, -v e="$swap_event" '$3 == e { print $1 }')
[[ $count =~ ^[0-9]+$ ]] || { echo "no viewer rate: perf counted nothing ($count)"; exit 1; }
awk -v n="$count" -v s="$seconds" 'BEGIN { printf "frames-per-second: %.2f\n", n / s }'

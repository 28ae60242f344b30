#!/usr/bin/env bash
# The road of a file, end to end: orvelle started in a folder of data files, a file
# picked in "Files:" with the mouse, its load report and its picture checked, then the
# display type, Anaglyph, "Reset View", StereoView (no stereo here: the window stays) and "Quit".
#
# The "Control Display" panel is drawn by Dear ImGui with its default style: every row
# of controls is 23 pixels high, so the click positions below follow from the order of
# the rollouts and controls. Each click is checked by what it must cause.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)  # before the script changes folder

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: skipped"
  exit 77
fi
for tool in xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done

viewer="${ORVELLE_BINARY_DIR:?}/orvelle"
[ -x "$viewer" ] || { echo "FAIL: $viewer has not been built"; exit 1; }

work=$(mktemp -d)
out="$work/stdout.txt"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "---- standard output of orvelle ----"
  cat "$out"
  echo "---- standard error of orvelle (start) ----"
  head -n 60 "$work/stderr.txt"
  exit 1
}

# Waits until orvelle has printed the exact line.
wait_for_line() {
  local line=$1 i
  for ((i = 0; i < 200; i++)); do
    grep -qxF -- "$line" "$out" && return 0
    kill -0 "$pid" 2>/dev/null || fail "orvelle ended before printing \"$line\""
    sleep 0.1
  done
  fail "orvelle did not print \"$line\""
}

# Number of windows whose title is exactly the given text.
count_windows() {
  xdotool search --name "^$1\$" 2>/dev/null | wc -l
}

wait_for_windows() {
  local title=$1 count=$2 i
  for ((i = 0; i < 200; i++)); do
    [ "$(count_windows "$title")" -ge "$count" ] && return 0
    sleep 0.1
  done
  fail "expected $count windows \"$title\", found $(count_windows "$title")"
}

# click WINDOW X Y: a press and a release apart in time, as a hand makes them.
source "$here/../../scripts/hand_click.sh"

window_height() {
  xdotool getwindowgeometry "$1" | awk '/Geometry:/ { split($2, size, "x"); print size[2] }'
}

# Opens a closed rollout of the panel and checks that the panel grew.
open_rollout() {
  local before after
  before=$(window_height "$panel")
  click "$panel" 100 "$1"
  after=$(window_height "$panel")
  [ "$after" -gt "$before" ] || fail "the rollout \"$2\" did not open (panel height $before -> $after)"
}

# Screenshot of the display window; prints "red blue": pixels where red (the left
# eye's default colour) or blue (the right eye's) clearly dominates.
shoot() {
  sleep 1
  import -window "$display" "$work/$1.png" || fail "no screenshot of the display window"
  convert "$work/$1.png" -depth 8 rgb:- | od -An -v -tu1 -w3 |
    awk '{ r = $1; g = $2; b = $3
           if (r - g > 64 && r - b > 64) red++
           if (b - r > 64 && b - g > 64) blue++ }
         END { print red + 0, blue + 0 }'
}

# Pixels that differ between two screenshots.
differing() {
  compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1
}

# The data folder: orvelle lists the folder it starts in.
mkdir "$work/data"
printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > "$work/data/a.dat"
printf '3 4\n0 0 0\n1 1 0\n2 4 0\n3 9 0\n0 0 1\n1 2 1\n2 5 1\n3 6 1\n0 0 2\n1 3 2\n2 3 2\n3 4 2\n' \
  > "$work/data/b.dat"

cd "$work/data" || exit 1
# Mesa's driver is unloaded at exit before LeakSanitizer looks, so its few lasting
# allocations cannot be told apart by the suppression file: leaks are not checked in
# this window test (every other sanitizer check stays on).
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}detect_leaks=0" "$viewer" > "$out" 2> "$work/stderr.txt" &
pid=$!
wait_for_line "GLUI version: 2.01"
wait_for_windows "Control Display" 1
wait_for_windows "Orvelle<no stereo>" 1
panel=$(xdotool search --name '^Control Display$' | head -1)
display=$(xdotool search --name '^Orvelle<no stereo>$' | head -1)
sleep 1

# Nothing loaded yet: no data in the picture.
read -r red blue <<< "$(shoot empty)"
[ "$red" -lt 20 ] || fail "red pixels before any load: $red"

# "Files:" (row 17, below the open "Specify Data File" rollout and its seven formats) opens
# its list below it: "Choose Model", a.dat, b.dat, one 17-pixel line each.
click "$panel" 110 390
click "$panel" 100 450
wait_for_line "list=2"
wait_for_line "filename = b.dat"
wait_for_line "fnTrf.nx = 3 points per set = 4"
read -r red blue <<< "$(shoot mono)"
[ "$red" -gt 300 ] || fail "the loaded data show only $red red pixels"
[ "$blue" -lt 20 ] || fail "MonoView shows $blue blue pixels"

# "Display Options", then its "Mono/Stereo" (seven view modes) and "Data Display" rollouts.
open_rollout 40 "Display Options"
open_rollout 63 "Mono/Stereo"
open_rollout 276 "Data Display"

# "Line Sets:Needled " (third button of "Data Display").
click "$panel" 80 345
read -r red blue <<< "$(shoot needled)"
[ "$red" -gt 300 ] || fail "the needled data show only $red red pixels"
[ "$(differing mono needled)" -gt 200 ] || fail "the display type did not change the picture"

# "Anaglyph": both eyes' pictures, red and blue.
click "$panel" 70 109
read -r red blue <<< "$(shoot anaglyph)"
[ "$red" -gt 300 ] || fail "Anaglyph shows only $red red pixels"
[ "$blue" -gt 300 ] || fail "Anaglyph shows only $blue blue pixels"

# Turn and shrink the view with keys in the display window, then "Reset View"
# (below the two empty lines at the end of the panel) brings the same picture back.
xdotool mousemove --window "$display" 400 300
sleep 0.3
for _ in $(seq 20); do xdotool key x; done
for _ in $(seq 4); do xdotool key s; done
shoot turned > /dev/null
[ "$(differing anaglyph turned)" -gt 500 ] || fail "the keys did not move the view"
reset_y=$(($(window_height "$panel") - 41))
click "$panel" 57 "$reset_y"
shoot reset > /dev/null
[ "$(differing anaglyph reset)" -lt 20 ] || fail "\"Reset View\" did not restore the view"

# "StereoView": no quad-buffered stereo here, so the open display window and panels stay.
click "$panel" 75 132
wait_for_line "No stereo -- set to double buffer"
sleep 1
[ "$(count_windows "Orvelle<no stereo>")" -eq 1 ] || fail "StereoView opened another display window"
[ "$(count_windows "Control Display")" -eq 1 ] || fail "StereoView built another panel"

# "Quit", the last line of the panel.
click "$panel" 57 $(($(window_height "$panel") - 19))
for ((i = 0; i < 100; i++)); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "\"Quit\" did not end orvelle"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "orvelle ended with status $status"
echo "road of a file: passed"

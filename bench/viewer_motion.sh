#!/usr/bin/env bash
# The viewer itself while the view moves and once it stops, on one data file: orvelle is
# started under the X display in DISPLAY with the file, the display type and the view mode
# on its command line; once the first picture is drawn, key "y" turns the view a degree at a
# time as fast as the keys come for SECONDS (the view moves: the viewer draws its lighter
# picture), and then the keys stop (the view rests: the full picture follows). Every buffer
# swap of the process is recorded with a probe on glXSwapBuffers, on the same clock as the
# keys' times.
#   bench/viewer_motion.sh ORVELLE FILE SECONDS DISPLAY_TYPE VIEW_MODE
# Prints "full-frame-s: S" (the full frame after the one key), "frames-per-second:
# F" (swaps while the keys come, after the first second),
# "full-picture-after-release-s: T" (from the last key to the last swap; 0 when the last
# frame of the keys was the full picture already, as it is when that fits the budget) and
# "peak-memory-mb: P" (the process's resident high-water mark, 10^6 bytes), or one line
# saying why there is no figure (exit 1). Needs root (for the probe), perf, xdotool, python3.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

viewer=$(realpath "$1")
file=$(realpath "$2")
seconds=${3:-10}
display_type=${4:-points}
view=${5:-mono}
# How long loading and the first picture may take (10^8 points: about a minute).
patience=${VIEWER_MOTION_PATIENCE:-400}

for tool in perf xdotool python3; do
  command -v "$tool" > /dev/null || { echo "no viewer figure: $tool is not installed"; exit 1; }
done
[ -x "$viewer" ] || { echo "no viewer figure: $viewer has not been built"; exit 1; }

work=$(mktemp -d)
pid="" keys="" recorder=""
cleanup() {
  [ -n "$keys" ] && kill "$keys" 2> /dev/null
  [ -n "$recorder" ] && kill -INT "$recorder" 2> /dev/null && wait "$recorder" 2> /dev/null
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  drop_swap_probe
  rm -rf "$work"
}
trap cleanup EXIT
source "$here/swap_probe.sh"
set_swap_probe "no viewer figure"

now() { python3 -c 'import time; print("%.6f" % time.monotonic())'; }
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat" 2> /dev/null; }
# Waits until the viewer has used no processor time for a second: its picture is drawn.
wait_until_resting() {
  local last current deadline=$((SECONDS + patience))
  last=$(ticks)
  while [ $SECONDS -lt $deadline ]; do
    sleep 1
    current=$(ticks)
    [ -n "$current" ] || { echo "no viewer figure: orvelle ended: $(head -3 "$work/err.txt" | tr "\n" " ")"; exit 1; }
    [ "$current" -le $((last + 2)) ] && return 0
    last=$current
  done
  echo "no viewer figure: orvelle did not come to rest within $patience s"
  exit 1
}

"$viewer" --display "$display_type" --view "$view" "$file" > "$work/out.txt" 2> "$work/err.txt" &
pid=$!
deadline=$((SECONDS + patience))
until grep -qs "^fnTrf.nx = " "$work/out.txt"; do
  kill -0 "$pid" 2> /dev/null || { echo "no viewer figure: orvelle ended: $(head -3 "$work/err.txt" | tr "\n" " ")"; exit 1; }
  [ $SECONDS -lt $deadline ] || { echo "no viewer figure: the file was not loaded within $patience s"; exit 1; }
  sleep 0.2
done
wait_until_resting
display=$(xdotool search --name '^Orvelle<no stereo>$' | head -1)
[ -n "$display" ] || { echo "no viewer figure: no display window"; exit 1; }

perf record -q -e "$swap_event" -k mono -p "$pid" -o "$work/swaps.data" > /dev/null 2>&1 &
recorder=$!
sleep 1
single=$(now)
xdotool key --window "$display" y 2> /dev/null
wait_until_resting
start=$(now)
xdotool key --window "$display" --delay 2 --repeat $((seconds * 500)) y 2> /dev/null
keys_end=$(now)
wait_until_resting
sleep 1
kill -INT "$recorder" 2> /dev/null
wait "$recorder" 2> /dev/null
recorder=""
perf script -i "$work/swaps.data" -F time 2> /dev/null | tr -d ' :' > "$work/times.txt"
peak=$(awk '/^VmHWM:/ { printf "%.1f", $2 * 1024 / 1e6 }' "/proc/$pid/status")
awk -v one="$single" -v s="$start" -v e="$keys_end" -v peak="$peak" '
  { t = $1 + 0; if (t >= s + 1 && t <= e) n++; if (t > last) last = t
    if (t > one && t < s) { ones++; if (t > full) full = t } }
  END {
    if (n == 0 || last == 0 || full == 0) { print "no viewer figure: no frames recorded"; exit 1 }
    # After a lighter frame the full one began 0.1 s after the key.
    printf "full-frame-s: %.2f\n", full - one - (ones > 1 ? 0.1 : 0)
    printf "frames-per-second: %.2f\n", n / (e - s - 1)
    printf "full-picture-after-release-s: %.2f\n", (last > e ? last - e : 0)
    printf "peak-memory-mb: %s\n", peak
  }' "$work/times.txt"

#!/usr/bin/env bash
# The real viewer left alone showing a loaded filled surface takes next to no processor time:
# its event loop sleeps until something changes instead of drawing frame after frame. A drag
# draws the lighter picture while it lasts; after the release the full picture comes back,
# and the loop rests again.
source "$(dirname "$0")/e2e_lib.sh"

for tool in import compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# A 200 x 200 surface, big enough that every frame drawn at rest would show in the count.
awk 'BEGIN { print 200, 200
             for (i = 0; i < 200; i++) for (j = 0; j < 200; j++)
                 printf "%d %d %f\n", i, j, sin(i / 20.0) * cos(j / 15.0) }' > "$scratch/hill.dat"

# A budget no frame keeps: every frame of the drag is as light as the picture gets.
start_and_find_display_window --format data --display filled --frame-budget 10 hill.dat
wait_for_geometry "$display_window" "50 50 800 600"
wait_for_output "filename = hill.dat"
sleep 3  # the first pictures of the three windows

# Processor time of the process, all threads, in clock ticks.
ticks() {
    awk '{ print $14 + $15 }' "/proc/$viewer_pid/stat"
}
# expect_rest SECONDS: the process takes under 2% of one core meanwhile.
expect_rest() {
    local before after limit used
    before=$(ticks)
    sleep "$1"
    after=$(ticks)
    viewer_alive || fail "viewer ended at rest"
    limit=$(awk -v s="$1" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%d", 0.02 * s * hz }')
    used=$((after - before))
    [ "$used" -le "$limit" ] || fail "$used clock ticks in ${1}s at rest (at most $limit)"
    rested="$used ticks in ${1}s"
}
expect_rest 10
first_rest=$rested

# A drag of the scene a quarter turn one way and back, motion by motion, then the release
# where it began: the full picture of the view before the drag comes back.
import -window "$display_window" "$scratch/before.png" 2>/dev/null || fail "no screenshot before the drag"
point_into "$display_window" 200 300
xdotool mousedown 1
for x in $(seq 210 10 400) $(seq 390 -10 200); do
    xdotool mousemove --window "$display_window" "$x" 300
    sleep 0.02
done
xdotool mouseup 1
sleep 1
import -window "$display_window" "$scratch/after.png" 2>/dev/null || fail "no screenshot after the drag"
differing=$(compare -metric AE -fuzz 2% "$scratch/before.png" "$scratch/after.png" null: 2>&1 | cut -d' ' -f1)
[ "${differing%%.*}" -le 100 ] 2>/dev/null ||
    fail "$differing pixels differ between the pictures before the drag and after its release"
expect_rest 3
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS ($first_rest at rest, after the drag $rested; $differing pixels differ)"

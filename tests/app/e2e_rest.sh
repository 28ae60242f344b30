#!/usr/bin/env bash
# The real viewer left alone showing a loaded filled surface takes next to no processor time:
# its event loop sleeps until something changes instead of drawing frame after frame.
source "$(dirname "$0")/e2e_lib.sh"

# A 200 x 200 surface, big enough that every frame drawn at rest would show in the count.
awk 'BEGIN { print 200, 200
             for (i = 0; i < 200; i++) for (j = 0; j < 200; j++)
                 printf "%d %d %f\n", i, j, sin(i / 20.0) * cos(j / 15.0) }' > "$scratch/hill.dat"

start_and_find_display_window --format data --display filled hill.dat
wait_for_geometry "$display_window" "50 50 800 600"
wait_for_output "filename = hill.dat"
sleep 3  # the first pictures of the three windows

# Processor time of the process, all threads, in clock ticks.
ticks() {
    awk '{ print $14 + $15 }' "/proc/$viewer_pid/stat"
}
seconds=10
before=$(ticks)
sleep "$seconds"
after=$(ticks)
viewer_alive || fail "viewer ended at rest"
# Under 2% of one core.
limit=$(awk -v s="$seconds" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%d", 0.02 * s * hz }')
used=$((after - before))
[ "$used" -le "$limit" ] || fail "$used clock ticks in ${seconds}s at rest (at most $limit)"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS ($used ticks in ${seconds}s at rest)"

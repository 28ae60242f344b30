#!/usr/bin/env bash
# The real viewer left alone after start-up takes next to no processor time: its event loop
# sleeps until something changes instead of drawing frame after frame.
source "$(dirname "$0")/e2e_lib.sh"

start_and_find_display_window
wait_for_geometry "$display_window" "50 50 800 600"
sleep 2  # the first pictures of the three windows

# Processor time of the process, all threads, in clock ticks.
ticks() {
    awk '{ print $14 + $15 }' "/proc/$viewer_pid/stat"
}
seconds=5
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

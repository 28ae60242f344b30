#!/usr/bin/env bash
# The right mouse button of the real viewer flips the diagnostics: the frame prints its
# projection lines on every frame while they are on, and the next right press stops them.
# Frames are drawn after changes only, so each step below makes one.
source "$(dirname "$0")/e2e_lib.sh"

start_and_find_display_window
wait_for_geometry "$display_window" "50 50 800 600"

# wait_until_quiet: the count of frame lines stops growing (diagnostics off).
wait_until_quiet() {
    local deadline=$((SECONDS + wait_limit)) previous=-1 now
    while :; do
        now=$(count_output 'ratio = ')
        [ "$now" -eq "$previous" ] && return 0
        [ $SECONDS -lt $deadline ] || fail "frame diagnostics did not stop"
        previous=$now
        sleep 1.5
    done
}

# wait_for_more N: frame lines beyond the first N appear (diagnostics on).
wait_for_more() {
    local deadline=$((SECONDS + wait_limit))
    until [ "$(count_output 'ratio = ')" -gt "$1" ]; do
        [ $SECONDS -lt $deadline ] || fail "frame diagnostics did not start"
        viewer_alive || fail "viewer ended"
        sleep 0.2
    done
}

[ "$(count_output 'ratio = ')" -eq 0 ] || fail "diagnostics printed before they were switched on"

# Presses go to the window by id, so a pointer moved by anything else cannot misdirect them.
right_press() {
    xdotool click --window "$display_window" 3 2>/dev/null
}

right_press
wait_for_more 0
wait_for_output 'Center Frustum:'

# Left and middle drags turn and move the view; they leave the diagnostics on.
before_drags=$(count_output 'ratio = ')
point_into "$display_window" 400 300
xdotool mousedown 1 mousemove_relative 40 -30 mousemove_relative -- -80 60 mouseup 1
xdotool mousedown 2 mousemove_relative 0 -50 mouseup 2
wait_for_more "$before_drags"

# The next right press switches them off again.
right_press
wait_until_quiet

# And the next press on again.
quiet=$(count_output 'ratio = ')
right_press
wait_for_more "$quiet"

viewer_alive || fail "viewer ended"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

#!/usr/bin/env bash
# Keys in the display window of the real viewer: the matrix print, full screen and back (also
# from a resized window), and the return to the stored place and size also when not full screen.
source "$(dirname "$0")/e2e_lib.sh"

start_and_find_display_window
control_window=$(find_window '^Control Display$' "$display_window")
movement_window=$(find_window '^Movement Controls$' "$display_window")
wait_for_geometry "$display_window" "50 50 800 600"

# Without a window manager the keyboard focus follows the pointer, which other tests on
# the same display may move: the keys go to the window by id instead, whatever the focus.
send_keys() {
    xdotool key --window "$display_window" --delay 80 "$@" 2>/dev/null
}

send_keys X X X p
zero_row=$'0.000000 0.000000 0.000000 0.000000\n'
wait_for_output $'matCur:\n'"$zero_row$zero_row$zero_row$zero_row"
[ "$(count_output 'matCur:')" -eq 1 ] || fail "one p printed the matrix more than once"

read -r screen_w screen_h < <(xdotool getdisplaygeometry)
send_keys F
wait_for_geometry "$display_window" "0 0 $screen_w $screen_h"
wait_for_visibility "$control_window" '^Control Display$' no
wait_for_visibility "$movement_window" '^Movement Controls$' no

send_keys Escape
wait_for_geometry "$display_window" "50 50 800 600"
wait_for_visibility "$control_window" '^Control Display$' yes
wait_for_visibility "$movement_window" '^Movement Controls$' yes

# Full screen from a window the user made tall and narrow: Escape still gives the stored size
# and place at once, not the size from before full screen.
xdotool windowsize "$display_window" 400 700
wait_for_geometry "$display_window" "50 50 400 700"
send_keys F
wait_for_geometry "$display_window" "0 0 $screen_w $screen_h"
send_keys Escape
wait_for_geometry "$display_window" "50 50 800 600"

# "q" outside full screen puts the window back too, and does not end the viewer.
xdotool windowsize "$display_window" 500 400
xdotool windowmove "$display_window" 300 200
wait_for_geometry "$display_window" "300 200 500 400"
send_keys q
wait_for_geometry "$display_window" "50 50 800 600"

# Keys that are not bound change nothing the viewer shows and end nothing.
send_keys a Up Left 9 space
send_keys p
wait_for_output "$zero_row"
deadline=$((SECONDS + wait_limit))
until [ "$(count_output 'matCur:')" -ge 2 ]; do
    [ $SECONDS -lt $deadline ] || fail "second p not answered"
    sleep 0.2
done
viewer_alive || fail "viewer ended after the keys"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

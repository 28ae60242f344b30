#!/usr/bin/env bash
# Start-up of the real viewer: the messages in their order, and the three windows with
# their titles, places and sizes.
source "$(dirname "$0")/e2e_lib.sh"

start_and_find_display_window

# The display has no stereo visual, so the start reports that and falls back, before
# the panel reports its toolkit version.
read_output
start_lines=$'\npossible= 0\nStereo buffer off -- set to double buffer\n'
[[ "$text" == "$start_lines"* ]] || fail "output does not start with the display-mode lines"
[[ "$text" == "$start_lines"*$'GLUI version: 2.01\n'* ]] || fail "GLUI version line missing or out of order"
[ "$(count_output 'possible= ')" -eq 1 ] || fail "the display mode was asked more than once"

control_window=$(find_window '^Control Display$' "$display_window")
movement_window=$(find_window '^Movement Controls$' "$display_window")

wait_for_geometry "$display_window" "50 50 800 600"

read -r screen_w screen_h < <(xdotool getdisplaygeometry)
check_panel() {  # ID TITLE X Y
    local x y w h
    read -r x y w h < <(geometry "$1")
    [ "$x" -eq "$3" ] && [ "$y" -eq "$4" ] || fail "'$2' at $x,$y, expected $3,$4"
    # A panel sizes itself to its controls: some room, and not the whole screen.
    [ "$w" -ge 100 ] && [ "$h" -ge 50 ] || fail "'$2' is only ${w}x${h}"
    [ "$w" -lt "$screen_w" ] && [ "$h" -lt "$screen_h" ] || fail "'$2' is ${w}x${h}, as large as the screen"
    is_visible "$1" "$2" || fail "'$2' is not shown"
}
check_panel "$control_window" 'Control Display' 860 50
check_panel "$movement_window" 'Movement Controls' 50 650
is_visible "$display_window" '^Orvelle<no stereo>$' || fail "display window is not shown"

# One display window only, and never a stereo one on this display.
[ -z "$(xdotool search --name '^Orvelle<stereo>$' 2>/dev/null)" ] || fail "a stereo window was opened"

viewer_alive || fail "viewer ended"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

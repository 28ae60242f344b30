#!/usr/bin/env bash
# Every view mode of "Mono/Stereo" in the real viewer, chosen with the mouse and back to
# MonoView: one display window and one pair of panels throughout (StereoView on this
# display without stereo stays in the open window), and each picture as its mode draws it.
# Then "Swap eyes" reached with the keyboard, and row interleaving following a move of the
# window by one screen row.
#
# Click positions follow from Dear ImGui's 23-pixel rows: "Display Options" and its
# "Mono/Stereo" rollout from the top of "Control Display", the seven view modes one row
# each below them, "Files:" from the panel's bottom.
set -u

for tool in xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/../../scripts/hand_click.sh"

# Three helices winding through depth: the eyes see them differently everywhere.
awk 'BEGIN { print 3, 60
             for (s = 0; s < 3; s++) for (i = 0; i < 60; i++) {
                 a = i * 0.2 + s * 2.1; printf "%f %f %f\n", 3 * cos(a), i * 0.1 - 3, 3 * sin(a) } }' \
    > "$scratch/a.dat"

window_height() {
    xdotool getwindowgeometry "$1" | awk '/Geometry:/ { split($2, size, "x"); print size[2] }'
}

# The viewer's own windows with this title: new since the start.
count_new_windows() {
    local id n=0
    for id in $(xdotool search --name "^$1\$" 2>/dev/null); do
        grep -qx "$id" <<<"$known_windows" || n=$((n + 1))
    done
    echo "$n"
}

expect_one_of_each() {
    local title
    for title in 'Orvelle<no stereo>' 'Control Display' 'Movement Controls'; do
        [ "$(count_new_windows "$title")" -eq 1 ] || fail "$1: $(count_new_windows "$title") windows '$title'"
    done
    [ "$(count_new_windows 'Orvelle<stereo>')" -eq 0 ] || fail "$1: a stereo window opened"
}

# shoot NAME: a screenshot of the display window once two in a row agree (the picture has
# settled), then "RED BLUE CYAN TOPRED BOTTOMRED LEFTRED RIGHTRED": pixels where red
# clearly leads, where blue leads, where green and blue lead red (the cyan of an anaglyph),
# and the red ones in each half.
shoot() {
    local deadline=$((SECONDS + wait_limit)) previous=
    while [ $SECONDS -lt $deadline ]; do
        sleep 0.5
        import -window "$display_window" "$scratch/$1.png" 2>/dev/null || continue
        if [ -n "$previous" ] &&
            [ "$(compare -metric AE "$scratch/$1.png" "$previous" null: 2>&1 | cut -d' ' -f1)" = 0 ]; then
            break
        fi
        cp "$scratch/$1.png" "$scratch/$1-before.png"
        previous=$scratch/$1-before.png
    done
    rgb_pixels "$scratch/$1.png" |
        awk -v width="$(identify -format '%w' "$scratch/$1.png")" '
            { x = (NR - 1) % width; y = int((NR - 1) / width); r = $1; g = $2; b = $3
              if (r - g > 64 && r - b > 64) { red++; if (y < 300) top++; else bottom++; if (x < 400) left++; else right++ }
              if (b - r > 64 && b - g > 64) blue++
              if (g - r > 40 && b - r > 40) cyan++ }
            END { print red + 0, blue + 0, cyan + 0, top + 0, bottom + 0, left + 0, right + 0 }'
}

differing() {
    compare -metric AE "$scratch/$1.png" "$scratch/$2.png" null: 2>&1 | cut -d' ' -f1
}

start_and_find_display_window
control=$(find_window '^Control Display$' "$display_window")
wait_for_geometry "$display_window" "50 50 800 600"
wait_for_panel_size "$control"
expect_one_of_each "start-up"

# "Files:" above "Watch file", the closed "Views and Pictures", the two empty lines, "Reset View" and "Quit"; a.dat is the first item after "Choose Model".
files_y=$(($(window_height "$control") - 151))
click "$control" 110 "$files_y"
click "$control" 100 $((files_y + 26 + 17))
wait_for_output "filename = a.dat"

# "Display Options", then "Mono/Stereo" inside it.
click "$control" 100 40
click "$control" 100 63
mode_y() { echo $((86 + 23 * $1)); }

read -r red blue cyan top bottom left right < <(shoot mono)
[ "$red" -gt 500 ] && [ "$blue" -lt 20 ] || fail "MonoView: $red red and $blue blue pixels"

no_stereo_lines=$(count_output "No stereo -- set to double buffer")
for mode in 1 2 3 4 5 6 0; do
    click "$control" 40 "$(mode_y "$mode")"
    read -r red blue cyan top bottom left right < <(shoot "mode-$mode")
    expect_one_of_each "view mode $mode"
    case $mode in
    1) [ "$red" -gt 300 ] && [ "$blue" -gt 300 ] || fail "Anaglyph: $red red and $blue blue pixels" ;;
    2)  # No stereo here: the message, the same window, both eyes in their colours in its one back buffer.
        [ "$(count_output "No stereo -- set to double buffer")" -eq $((no_stereo_lines + 1)) ] ||
            fail "StereoView did not say \"No stereo -- set to double buffer\" once"
        [ "$red" -gt 300 ] && [ "$blue" -gt 300 ] || fail "StereoView: $red red and $blue blue pixels" ;;
    3)  # Both eyes in the MonoView colour, one in each half.
        [ "$blue" -lt 20 ] && [ "$left" -gt 300 ] && [ "$right" -gt 300 ] ||
            fail "side by side: $left red pixels left, $right right, $blue blue" ;;
    4) [ "$blue" -lt 20 ] && [ "$top" -gt 300 ] && [ "$bottom" -gt 300 ] ||
            fail "top and bottom: $top red pixels above, $bottom below, $blue blue" ;;
    5) [ "$blue" -lt 20 ] && [ "$red" -gt 500 ] || fail "row interleaved: $red red and $blue blue pixels"
        [ "$(differing mode-5 mono)" -gt 200 ] || fail "row interleaved looks like MonoView" ;;
    6)  # A neutral material mixed from both eyes: where one eye's picture alone covers a
        # pixel, a red or a cyan fringe, as many of each; no blue of the Anaglyph's right eye.
        [ "$cyan" -gt 100 ] && [ "$red" -gt 100 ] && [ "$blue" -lt 20 ] &&
            [ $((red * 2)) -gt "$cyan" ] && [ $((cyan * 2)) -gt "$red" ] &&
            [ "$(differing mode-6 mono)" -gt 500 ] && [ "$(differing mode-6 mode-1)" -gt 500 ] ||
            fail "colour anaglyph: $red red, $cyan cyan and $blue blue pixels" ;;
    0) [ "$(differing mode-0 mono)" -lt 20 ] || fail "back in MonoView the picture is not MonoView's" ;;
    esac
done
[ "$(differing mode-3 mode-4)" -gt 500 ] || fail "side by side and top and bottom look alike"

# StereoView again and again: still one window of each.
for _ in 1 2 3; do
    click "$control" 40 "$(mode_y 2)"
    click "$control" 40 "$(mode_y 0)"
done
expect_one_of_each "StereoView chosen four times"
[ "$(count_output "No stereo -- set to double buffer")" -eq $((no_stereo_lines + 4)) ] ||
    fail "each StereoView choice says \"No stereo -- set to double buffer\""

# The keyboard: from "Color anaglyph" up to "Side by side" and right to "Swap eyes", which
# Space checks; the picture changes, and changes back when Space unchecks it.
click "$control" 40 "$(mode_y 6)"
shoot colour > /dev/null
point_into "$control" 40 "$(mode_y 6)"
for key in Tab Up Up Up Right space; do
    xdotool key "$key"
    sleep 0.4
done
shoot swapped > /dev/null
[ "$(differing colour swapped)" -gt 200 ] || fail "\"Swap eyes\" by keyboard did not change the picture"
xdotool key space
shoot unswapped > /dev/null
[ "$(differing colour unswapped)" -lt 20 ] || fail "unchecking \"Swap eyes\" did not bring the picture back"

# Row interleaving follows the window's place: one screen row up swaps the rows of the
# eyes, two rows up gives the first picture again (down, "Movement Controls" would cover
# the window's last rows).
click "$control" 40 "$(mode_y 5)"
read -r x y _ _ < <(geometry "$display_window")
shoot rows > /dev/null
xdotool windowmove "$display_window" "$x" $((y - 1))
wait_for_geometry "$display_window" "$x $((y - 1)) 800 600"
shoot rows-moved > /dev/null
xdotool windowmove "$display_window" "$x" $((y - 2))
wait_for_geometry "$display_window" "$x $((y - 2)) 800 600"
shoot rows-moved-twice > /dev/null
[ "$(differing rows rows-moved)" -gt 200 ] || fail "a move by one row did not swap the eyes' rows"
[ "$(differing rows rows-moved-twice)" -lt 20 ] || fail "a move by two rows changed the picture"

expect_one_of_each "the end"
viewer_alive || fail "the viewer ended"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

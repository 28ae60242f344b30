#!/usr/bin/env bash
# The control panel of the real viewer, end to end: both panel windows photographed after
# start-up, the "Segments:" spinner changed by keyboard, by typing after a Ctrl+click and by
# its up arrow, each change seen in the next load report, the folder chooser open beside the
# event loop while keys and clicks are answered, then "Quit" ending with status 0.
#
# The spinner's field is seen from outside: "Segments:" keeps its value across loads, and
# every load prints "scale = ... segments = N thickness = ...". Click positions follow from
# Dear ImGui's 23-pixel rows: the rollout headers from the top of "Control Display", the
# spinner's box and arrows from the right end of the column of "Object Properties" (its
# spinners are aligned right in it), "Files:" and "Quit" from the panel's bottom. Every step
# waits, against a deadline, for what it must cause.
set -u

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: no X display"
    exit 77
fi
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/../app/e2e_lib.sh"

artefacts=${ORVELLE_BINARY_DIR:?}/test-artefacts

# The folder the viewer lists: after "Choose Model" come a.dat and b.dat (the viewer's own
# stdout.txt and stderr.txt sort after them).
printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > "$scratch/a.dat"
printf '3 2\n0 0 0\n1 1 0\n0 0 1\n1 2 1\n0 0 2\n1 3 2\n' > "$scratch/b.dat"

# A press and a release a moment apart, in one xdotool run: short enough that a spinner
# arrow (which repeats while held) steps once, long enough to be a hand's click.
click() {
    point_into "$1" "$2" "$3"
    xdotool mousedown 1 sleep 0.1 mouseup 1
    sleep 0.2
}

window_size() {
    xdotool getwindowgeometry "$1" | awk '/Geometry:/ { split($2, size, "x"); print size[1], size[2] }'
}

# wait_for_height ID HEIGHT
wait_for_height() {
    local deadline=$((SECONDS + wait_limit)) w h
    while [ $SECONDS -lt $deadline ]; do
        read -r w h < <(window_size "$1")
        [ "$h" = "$2" ] && return 0
        viewer_alive || fail "viewer ended while waiting for window height $2"
        sleep 0.2
    done
    fail "window $1 is $h pixels high, expected $2"
}

# Prints "BACKGROUND DARK ALL": pixels of the panels' background grey (240,240,240), pixels
# dark enough to be text or drawn lines, and all pixels of the picture.
pixel_counts() {
    rgb_pixels "$1" |
        awk '{ all++; r = $1; g = $2; b = $3
               if (r == 240 && g == 240 && b == 240) background++
               if (r + g + b < 300) dark++ }
             END { print background + 0, dark + 0, all + 0 }'
}

# A panel is drawn when its background fills most of it and text stands on it.
looks_drawn() {
    local background dark all
    read -r background dark all < <(pixel_counts "$1")
    [ "$all" -gt 0 ] && [ $((background * 100 / all)) -ge 30 ] && [ "$dark" -ge 300 ]
}

# Both panel windows once their first frames are drawn: a test artefact, and a check that
# neither is blank.
photograph_panels() {
    local deadline=$((SECONDS + wait_limit)) counts
    while [ $SECONDS -lt $deadline ]; do
        if import -window "$control" "$scratch/control.png" 2>/dev/null &&
            import -window "$movement" "$scratch/movement.png" 2>/dev/null &&
            looks_drawn "$scratch/control.png" && looks_drawn "$scratch/movement.png"; then
            mkdir -p "$artefacts"
            convert "$scratch/control.png" "$scratch/movement.png" -background black -gravity north \
                +append "$artefacts/panels-after-start-up.png" || fail "could not write the screenshot"
            return 0
        fi
        viewer_alive || fail "viewer ended before its panels were drawn"
        sleep 0.5
    done
    counts="control: $(pixel_counts "$scratch/control.png"); movement: $(pixel_counts "$scratch/movement.png")"
    fail "the panel windows look blank (background, dark, all pixels: $counts)"
}

# wait_for_pixel X Y AWK_TEST WHAT: polls the control panel until the pixel at X,Y passes
# the test on r, g, b.
wait_for_pixel() {
    local deadline=$((SECONDS + wait_limit))
    while [ $SECONDS -lt $deadline ]; do
        if import -window "$control" "$scratch/now.png" 2>/dev/null &&
            convert "$scratch/now.png" -crop "1x1+$1+$2" +repage -depth 8 txt:- |
            awk -F'[(),]+' "NR == 2 { r = \$3; g = \$4; b = \$5; exit !($3) } END { if (NR < 2) exit 1 }"; then
            return 0
        fi
        viewer_alive || fail "viewer ended while waiting for $4"
        sleep 0.2
    done
    fail "$4 did not happen within ${wait_limit}s"
}

# The spinner types once its box shows its text from the left edge (a value shown for
# dragging stands in the middle): dark pixels in the box's first columns.
wait_for_typing() {
    local deadline=$((SECONDS + wait_limit)) left=$((spinners_right - 147))
    while [ $SECONDS -lt $deadline ]; do
        if import -window "$control" "$scratch/now.png" 2>/dev/null &&
            [ "$(convert "$scratch/now.png" -crop "18x16+$left+$((segments_y - 8))" +repage -depth 8 txt:- |
                awk -F'[(),]+' 'NR > 1 && $3 + $4 + $5 < 200 { n++ } END { print n + 0 }')" -gt 5 ]; then
            return 0
        fi
        viewer_alive || fail "viewer ended while waiting for the spinner to take typing"
        sleep 0.2
    done
    fail "\"Segments:\" did not open for typing"
}

# load_file ROW NAME: picks the ROW-th file of "Files:" and sets $segments from the load
# report that follows.
load_file() {
    local before deadline=$((SECONDS + wait_limit)) files_y
    wait_for_height "$control" "$panel_h"
    # "Files:" stands above "Watch file", the closed "Views and Pictures", the two empty lines,
    # "Reset View" and "Quit".
    files_y=$((panel_h - 151))
    before=$(count_output 'segments = ')
    click "$control" 110 "$files_y"
    # The list pops down below "Files:", one 17-pixel line an item.
    click "$control" 100 $((files_y + 26 + 17 * $1))
    until [ "$(count_output 'segments = ')" -gt "$before" ]; do
        [ $SECONDS -lt $deadline ] || fail "picking $2 in \"Files:\" loaded nothing"
        viewer_alive || fail "viewer ended while loading $2"
        sleep 0.2
    done
    [ "$(grep '^filename = ' "$out" | tail -n 1)" = "filename = $2" ] || fail "the list did not load $2"
    segments=$(grep -o 'segments = -\?[0-9]*' "$out" | tail -n 1 | cut -d' ' -f3)
}

# A stand-in for the desktop's folder chooser: it notes how it was started, then waits (as a
# user would take their time) until the test gives it its answer.
mkdir -p "$scratch/bin" "$scratch/other"
cat > "$scratch/bin/zenity" <<STANDIN
#!/bin/sh
printf '%s\\n' "\$@" > "$scratch/chooser-args"
n=0
while [ ! -e "$scratch/chooser-answer" ] && [ \$n -lt 2400 ]; do n=\$((n + 1)); sleep 0.05; done
cat "$scratch/chooser-answer"
STANDIN
chmod +x "$scratch/bin/zenity"
export PATH="$scratch/bin:$PATH"

# toggle_first_rollout -gt|-lt WHAT: clicks the header of "Object Properties" and waits until
# the panel is higher (opened) or lower (closed) than it was; panel_w and panel_h follow.
toggle_first_rollout() {
    local before=$panel_h deadline=$((SECONDS + wait_limit))
    click "$control" 100 17
    until read -r panel_w panel_h < <(window_size "$control") && [ "$panel_h" "$1" "$before" ]; do
        [ $SECONDS -lt $deadline ] || fail "$2"
        sleep 0.2
    done
}

start_and_find_display_window
control=$(find_window '^Control Display$' "$display_window")
movement=$(find_window '^Movement Controls$' "$display_window")
photograph_panels

read -r panel_w panel_h < <(window_size "$control")
load_file 1 a.dat
[ "$segments" = 8 ] || fail "segments = $segments before any change, expected 8"

# "Object Properties", the first rollout, opens: the panel grows by the three spinners and
# keeps its width.
start_w=$panel_w
toggle_first_rollout -gt "the rollout \"Object Properties\" did not open"
sleep 0.5
read -r panel_w panel_h < <(window_size "$control")
[ "$panel_w" = "$start_w" ] || fail "\"Control Display\" went from $start_w to $panel_w pixels wide"
segments_y=40
# The widest spinner, "Thickness:", fills the column from the panel's left padding.
spinners_right=240

# Keyboard only: the clicked header has the keyboard focus; the first Tab shows it, the
# second moves it to the box of "Segments:" (its frame turns blue), Enter opens the box
# for typing, and 99 is clamped to the limit 60.
point_into "$control" 100 17
xdotool key Tab
sleep 0.3
xdotool key Tab
wait_for_pixel $((spinners_right - 153)) "$segments_y" 'b - r > 100' "the keyboard focus on \"Segments:\""
xdotool key Return
wait_for_typing
xdotool type --delay 100 99
sleep 0.3
xdotool key Return
load_file 2 b.dat
[ "$segments" = 60 ] || fail "typing 99 into \"Segments:\" gave segments = $segments, expected 60"

# The mouse: Ctrl+click opens the box for typing.
point_into "$control" $((spinners_right - 110)) "$segments_y"
xdotool keydown ctrl sleep 0.1 mousedown 1 sleep 0.1 mouseup 1 sleep 0.1 keyup ctrl
wait_for_typing
xdotool type --delay 100 12
sleep 0.3
xdotool key Return
load_file 1 a.dat
[ "$segments" = 12 ] || fail "typing 12 into \"Segments:\" gave segments = $segments, expected 12"

# The up arrow steps by one. It repeats while held, like GLUI's, so a click that a busy
# machine stretches beyond a quarter second may step more than once.
click "$control" $((spinners_right - 59)) "$segments_y"
sleep 0.3
load_file 2 b.dat
[ "$segments" -ge 13 ] && [ "$segments" -le 16 ] ||
    fail "the up arrow of \"Segments:\" gave segments = $segments, expected 13"

# "Browse for folder" (in "Specify Data File", open below "Object Properties") opens the
# chooser at the listed folder, beside the event loop: while it is open the display window
# answers its keys and the panel its clicks.
click "$control" 80 $((panel_h - 409))
deadline=$((SECONDS + wait_limit))
until [ -s "$scratch/chooser-args" ]; do
    [ $SECONDS -lt $deadline ] || fail "\"Browse for folder\" started no chooser"
    sleep 0.2
done
grep -qxF -- "--filename=$scratch/" "$scratch/chooser-args" ||
    fail "the chooser did not open at the listed folder: $(tr '\n' ' ' < "$scratch/chooser-args")"
before=$(count_output 'matCur:')
xdotool key --window "$display_window" p
deadline=$((SECONDS + wait_limit))
until [ "$(count_output 'matCur:')" -gt "$before" ]; do
    [ $SECONDS -lt $deadline ] || fail "the display window did not answer a key while the chooser was open"
    sleep 0.2
done
toggle_first_rollout -lt "the panel did not answer a click while the chooser was open"
[ "$(count_output 'filedir=')" -eq 0 ] || fail "the chooser was answered before the stand-in gave its answer"
printf '%s\n' "$scratch/other" > "$scratch/chooser-answer"
wait_for_output $'\nfiledir= '"$scratch/other"$'\nchosen_listitem='
sleep 0.5
read -r panel_w panel_h < <(window_size "$control")

# "Quit", the last line of the panel, ends the viewer with status 0.
wait_for_height "$control" "$panel_h"
click "$control" 57 $((panel_h - 19))
deadline=$((SECONDS + wait_limit))
while viewer_alive; do
    [ $SECONDS -lt $deadline ] || fail "\"Quit\" did not end the viewer"
    sleep 0.2
done
wait "$viewer_pid"
status=$?
viewer_pid=
[ "$status" -eq 0 ] || fail "the viewer ended with status $status after \"Quit\""
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS: panels photographed to $artefacts/panels-after-start-up.png; segments 8, 60, 12, $segments; keys and clicks answered beside the chooser; Quit gave 0"

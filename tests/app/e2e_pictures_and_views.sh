#!/usr/bin/env bash
# Saved pictures and views of the real viewer: w saves what the display window shows (the
# screenshot within a few pixels, below the message that tells of the save, and all of it once
# the message has gone by itself) in MonoView and Anaglyph with a counter that never
# overwrites, h shows the keys' help and hides it again, v saves the view that orvelle-render
# and a viewer started with --view-file draw again.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/../../scripts/hand_click.sh"

for tool in import convert compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
render_bin=$ORVELLE_BINARY_DIR/orvelle-render

# Pixels that differ between two pictures of the same size (fuzz: rounding of a channel).
differing() {
    compare -metric AE -fuzz 1% "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# The same with the texts masked: the file name at the lower left and the colour bar's
# labels at the right are written with GLUT's font in the viewer, its own in orvelle-render.
differing_without_text() {
    local a b
    for a in "$1" "$2"; do
        convert "$a" -fill white -draw "rectangle 60,500 400,570" -draw "rectangle 740,90 800,510" "$a.masked.png"
    done
    differing "$1.masked.png" "$2.masked.png"
}

# A data folder with one file: ten waves of forty points, rising in z.
data=$scratch/data
mkdir "$data"
awk 'BEGIN { print 10, 40
             for (i = 0; i < 10; i++) for (j = 0; j < 40; j++)
                 printf "%g %g %g\n", i, sin(j * 0.3 + i * 0.5), j * 0.25 + i * 0.1 }' > "$data/wave.dat"

# start_in FOLDER ARGS...: the viewer started in FOLDER (which it lists) with ARGS.
start_in() {
    local folder=$1
    shift
    known_windows=$(viewer_titled_windows)
    : > "$out"
    (cd "$folder" && exec "$viewer_bin" "$@" >"$out" 2>"$err") &
    viewer_pid=$!
    wait_for_output "GLUI version: 2.01"$'\n'
    display_window=$(find_window '^Orvelle<no stereo>$')
    panel=$(find_window '^Control Display$' "$display_window")
    wait_for_geometry "$display_window" "50 50 800 600"
    wait_for_panel_size "$panel"
}

send_keys() {
    xdotool key --window "$display_window" --delay 80 "$@" 2>/dev/null
}

# The one file of the folder: "Files:" (below the seven formats and the open folder's
# boxes) opens its list, the file is its second line.
load_the_file() {
    click "$panel" 110 390
    click "$panel" 100 433
    wait_for_output "filename = wave.dat"
}

# Pixels that differ in the part WxH+X+Y of two pictures: the band at the top of the window,
# where messages are written, and the rest below it.
differing_in() {  # CROP A B
    local a
    for a in "$2" "$3"; do
        convert "$a" -crop "$1" +repage "$a.part.png"
    done
    differing "$2.part.png" "$3.part.png"
}
top_band=800x60+0+0
below_top_band=800x540+0+60

# save_and_shoot NAME [gone]: w; the screen tells that the picture was saved over its top and
# shows the saved picture below that (within a few pixels), in the screenshot NAME. With
# "gone", the screenshot waits until the message has gone by itself and the whole screen
# shows the saved picture. Prints the saved path.
save_and_shoot() {
    local before saved
    before=$(count_output "Picture saved: ")
    send_keys w
    local deadline=$((SECONDS + wait_limit))
    until [ "$(count_output "Picture saved: ")" -gt "$before" ]; do
        grep -q "Picture not saved" "$out" && fail "the picture was not saved: $(grep 'not saved' "$out")"
        [ $SECONDS -lt $deadline ] || fail "w saved no picture"
        sleep 0.2
    done
    saved=$(grep "Picture saved: " "$out" | tail -1 | cut -d' ' -f3-)
    deadline=$((SECONDS + wait_limit))
    # The message's frame is smoothed a moment after it is drawn, as every picture at rest.
    until import -window "$display_window" "$scratch/$1.png" &&
        [ "$(differing_in $top_band "$saved" "$scratch/$1.png")" -gt 100 ] &&
        [ "$(differing_in $below_top_band "$saved" "$scratch/$1.png")" -le 10 ]; do
        [ $SECONDS -lt $deadline ] || fail "the screen does not tell that the picture was saved, over the" \
            "saved picture (which differs by $(differing_in $below_top_band "$saved" "$scratch/$1.png") pixels below)"
        sleep 0.2
    done
    deadline=$((SECONDS + wait_limit))
    while [ "${2:-}" = gone ] && ! [ "$(differing "$saved" "$scratch/$1.png")" -le 10 ]; do
        [ $SECONDS -lt $deadline ] ||
            fail "the message stays: the screen differs from the saved picture by $(differing "$saved" "$scratch/$1.png") pixels"
        sleep 0.5
        import -window "$display_window" "$scratch/$1.png"
    done
    echo "$saved"
}

start_in "$data" --color-by height
load_the_file
send_keys X X X X X X X X X X Y Y Y Y Y Y Y Y Y Y Y Y

# MonoView, coloured by height with its colour bar.
mono=$(save_and_shoot shot-mono gone)
[ "$mono" = "$data/wave-001.png" ] || fail "the first picture is $mono"

# The help comes over the picture and goes again.
send_keys h
sleep 1
import -window "$display_window" "$scratch/shot-help.png"
[ "$(differing "$scratch/shot-mono.png" "$scratch/shot-help.png")" -gt 1000 ] || fail "h shows no help"
send_keys question
sleep 1
import -window "$display_window" "$scratch/shot-nohelp.png"
[ "$(differing "$scratch/shot-mono.png" "$scratch/shot-nohelp.png")" -le 10 ] || fail "? does not hide the help again"

# The view beside the data, drawn again by orvelle-render at the same size. Tubes of
# different colours that touch tie in depth, and the window's depth buffer breaks a few
# ties otherwise than the offscreen one: a thousandth of the pixels may differ.
send_keys v
wait_for_output "View saved: $data/wave.view"
"$render_bin" --view-file "$data/wave.view" --size 800x600 --output "$scratch/rendered.png" "$data/wave.dat" \
    > /dev/null || fail "orvelle-render could not draw the saved view"
[ "$(differing_without_text "$mono" "$scratch/rendered.png")" -le 480 ] ||
    fail "orvelle-render's picture of the view differs by $(differing_without_text "$mono" "$scratch/rendered.png") pixels"

# Anaglyph ("Display Options", "Mono/Stereo", "Anaglyph"): the picture as composed, under
# the next number; the first picture stays as it was.
cp "$mono" "$scratch/first.png"
click "$panel" 100 40
click "$panel" 100 63
click "$panel" 70 109
anaglyph=$(save_and_shoot shot-anaglyph)
[ "$anaglyph" = "$data/wave-002.png" ] || fail "the second picture is $anaglyph"
cmp -s "$mono" "$scratch/first.png" || fail "the first picture was changed"
[ "$(differing "$mono" "$anaglyph")" -gt 1000 ] || fail "the anaglyph looks like the mono picture"

# A viewer started with the saved view shows its first file as the view was saved.
kill "$viewer_pid"
wait "$viewer_pid" 2>/dev/null
viewer_pid=
mkdir "$scratch/again"
cp "$data/wave.dat" "$scratch/again/"
start_in "$scratch/again" --view-file "$data/wave.view"
load_the_file
again=$(save_and_shoot shot-again)
[ "$(differing "$mono" "$again")" -le 10 ] ||
    fail "the view given at start shows $(differing "$mono" "$again") other pixels"

grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

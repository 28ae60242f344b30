#!/usr/bin/env bash
# The viewer's command line on the real display: --help, --version and usage errors; a FILE
# in another folder chosen, detected, loaded and drawn with the options given; a FILE that
# cannot be loaded; a large FILE whose load shows its progress while the viewer answers; a
# folder of 100,000 names; "Watch file" with a file rewritten by a script, whole and half at a
# time, keeping the view; a failed load told over the picture, which stays as it was.
source "$(dirname "$0")/e2e_lib.sh"
for tool in import convert compare awk; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# Pixels of a screenshot of the display window: "red blue dark" (clearly red, clearly blue,
# nearly black) in the part given as WxH+X+Y (all of it by default).
shoot() {  # NAME [CROP]
    import -window "$display_window" "$scratch/$1.png" 2>/dev/null || fail "no screenshot $1"
    rgb_pixels "$scratch/$1.png" "${2:-}" |
        awk '{ r = $1; g = $2; b = $3
               if (r - g > 64 && r - b > 64) red++
               if (b - r > 64 && b - g > 64) blue++
               if (r + g + b < 150) dark++ }
             END { print red + 0, blue + 0, dark + 0 }'
}
differing() {
    compare -metric AE "$scratch/$1.png" "$scratch/$2.png" null: 2>&1 | cut -d' ' -f1
}
# The same in the part WxH+X+Y of both.
differing_in() {  # CROP NAME NAME
    convert "$scratch/$2.png" -crop "$1" +repage "$scratch/$2.part.png"
    convert "$scratch/$3.png" -crop "$1" +repage "$scratch/$3.part.png"
    differing "$2.part" "$3.part"
}
# The output printed so far holds TEXT COUNT times (or more).
wait_for_count() {  # TEXT COUNT
    local deadline=$((SECONDS + wait_limit))
    while [ "$(count_output "$1")" -lt "$2" ]; do
        [ $SECONDS -lt $deadline ] || fail "'$1' printed $(count_output "$1") times, expected $2"
        viewer_alive || fail "viewer ended while waiting for '$1'"
        sleep 0.2
    done
}
# Key "p" in the display window prints the matrix: the viewer answers within SECONDS.
answers_within() {  # SECONDS
    local before deadline
    before=$(count_output "matCur:")
    point_into "$display_window" 400 300
    xdotool key p
    deadline=$(($(date +%s%N) + $1 * 1000000000))
    while [ "$(count_output "matCur:")" -le "$before" ]; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# ---- Without a window: help, version, usage errors ----
"$viewer_bin" --help > "$scratch/help.txt" 2>&1 || fail "--help should exit 0"
for text in "Usage: orvelle [options] [FILE]" "--format data|maple|color|columns|matrix|npy|ply|auto" "--watch" \
    "--display points|joined|needled|grid|filled" "--columns X,Y,Z[,GROUP]" "Escape / q" "left drag"; do
    grep -qF -- "$text" "$scratch/help.txt" || fail "--help does not list '$text'"
done
"$viewer_bin" --version > "$scratch/version.txt" 2>&1 || fail "--version should exit 0"
grep -qE '^orvelle [0-9]+\.[0-9]+' "$scratch/version.txt" || fail "--version: $(cat "$scratch/version.txt")"
for args in "--frobnicate" "--segments 99 x.dat" "--format csv x.dat" "a.dat b.dat" "--thickness"; do
    before=$(viewer_titled_windows | wc -l)
    # shellcheck disable=SC2086
    timeout 20 "$viewer_bin" $args > "$scratch/usage-out.txt" 2> "$scratch/usage-err.txt"
    status=$?
    [ "$status" -eq 2 ] || fail "'$args' should exit 2, not $status"
    [ "$(wc -l < "$scratch/usage-err.txt")" -eq 1 ] || fail "'$args' should print one line: $(cat "$scratch/usage-err.txt")"
    [ ! -s "$scratch/usage-out.txt" ] || fail "'$args' printed on standard output"
    [ "$(viewer_titled_windows | wc -l)" -eq "$before" ] || fail "'$args' opened a window"
done

# ---- A FILE elsewhere: its folder listed, FILE chosen, its format detected, the options applied ----
mkdir -p "$scratch/data"
cp "$ORVELLE_SOURCE_DIR/samples/stations.csv" "$scratch/data/"
printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > "$scratch/data/a.dat"
# Names that must not widen the panel or break a line: they sort after every other name.
long_name="zzzz$(printf 'L%.0s' $(seq 240)).dat"
cp "$scratch/data/a.dat" "$scratch/data/$long_name"
cp "$scratch/data/a.dat" "$scratch/data/zzz"$'\n'"line.dat"
options=(--display points --thickness 0.3 --view anaglyph --background 0,0,0 --angles 20,-35,0 --scale 1.2
         --no-file-name)
start_and_find_display_window "${options[@]}" data/stations.csv
wait_for_output $'list=2\n\nfilename = stations.csv\n'
sleep 2
read -r red blue dark <<< "$(shoot start)"
[ "$dark" -gt 300000 ] || fail "--background 0,0,0: only $dark dark pixels"
grep -q "Invalid File Handle" "$out" && fail "the start folder was not listed"
read -r _ _ panel_w _ < <(geometry "$(find_window '^Control Display$' "$display_window")")
[ "$panel_w" -lt 480 ] || fail "a name of 248 characters widens \"Control Display\" to $panel_w pixels"
# orvelle-render draws the same options with the same frame code: the same picture.
"$ORVELLE_BINARY_DIR/orvelle-render" "${options[@]}" --output "$scratch/rendered.png" "$scratch/data/stations.csv" \
    > /dev/null || fail "orvelle-render could not draw the same file"
[ "$(differing start rendered)" -lt 100 ] ||
    fail "the viewer's picture differs from orvelle-render's in $(differing start rendered) pixels"
stop_viewer

# ---- A FILE that cannot be loaded: the reason, and the viewer opens with nothing loaded ----
start_and_find_display_window data/nothing-here.dat
wait_for_output $'\nfilename = nothing-here.dat\n'
sleep 1
read -r red blue dark <<< "$(shoot missing)"
[ "$red" -lt 20 ] || fail "something is drawn after a failed start: $red red pixels"
grep -A1 '^filename = nothing-here.dat$' "$out" | tail -n 1 | grep -q 'nothing-here.dat' ||
    fail "no line with the reason after the report"
viewer_alive || fail "the viewer ended after a failed start"
stop_viewer

# ---- A large FILE: progress over the picture while it loads, the viewer answering ----
# Three times the same 4 * 10^6 points: long enough to load that the key comes during it, now
# that a large file is read on two threads.
awk 'BEGIN { for (i = 0; i < 4000000; i++) printf "%d.25 %d.5 %d.125\n", i % 3000, int(i / 3000), (i * 7) % 1000 }' \
    > "$scratch/data/body.txt"
{ echo "3000 4000"; cat "$scratch/data/body.txt" "$scratch/data/body.txt" "$scratch/data/body.txt"; } > "$scratch/data/big.dat"
rm -f "$scratch/data/body.txt"
start_and_find_display_window --display points data/big.dat
progress_seen=0
pressed=0
while ! output_contains $'filename = big.dat\n'; do
    read -r red blue dark <<< "$(shoot loading 420x40+0+0)"
    [ "$dark" -gt 200 ] && progress_seen=1
    if [ "$progress_seen" -eq 1 ] && [ "$pressed" -eq 0 ]; then
        point_into "$display_window" 400 300
        xdotool key p
        pressed=1
    fi
    viewer_alive || fail "viewer ended while loading"
done
if [ "$progress_seen" -eq 0 ]; then
    echo "NOTE: the large file loaded before its progress could be seen"
else
    wait_for_output "matCur:"
    # The key's answer came before the load's report: the window answered during the load.
    key_line=$(grep -n '^matCur:$' "$out" | head -n 1 | cut -d: -f1)
    report_line=$(grep -n '^filename = big.dat$' "$out" | head -n 1 | cut -d: -f1)
    [ "$key_line" -lt "$report_line" ] || fail "the display window did not answer a key during the load"
fi
stop_viewer

# "Quit" while a larger file (a third more points) is still being read ends the viewer at once,
# with status 0.
{ echo "4000 4000"; tail -n +2 "$scratch/data/big.dat"; head -n 4000001 "$scratch/data/big.dat" | tail -n +2; } \
    > "$scratch/data/bigger.dat"
rm -f "$scratch/data/big.dat"
start_and_find_display_window --display points data/bigger.dat
control=$(find_window '^Control Display$' "$display_window")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/hand_click.sh"
wait_for_panel_size "$control"
read -r _ _ _ panel_h < <(geometry "$control")
click "$control" 57 $((panel_h - 19))
for _ in $(seq 100); do viewer_alive || break; sleep 0.1; done
viewer_alive && fail "\"Quit\" during a load did not end the viewer"
wait "$viewer_pid"
status=$?
viewer_pid=
[ "$status" -eq 0 ] || fail "\"Quit\" during a load ended the viewer with status $status"
output_contains $'filename = bigger.dat\n' && echo "NOTE: the load ended before \"Quit\""
rm -f "$scratch/data/bigger.dat"

# ---- A folder of 100,000 names: started in it, the viewer still answers at once ----
many=$(mktemp -d /dev/shm/orvelle-many.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$many"; finish' EXIT
(cd "$many" && seq -f 'n%06g.dat' 0 99999 | xargs touch)
printf '1 3\n0 0 0\n1 1 1\n2 0 2\n' > "$many/n050000.dat"
start_and_find_display_window "$many/n050000.dat"
wait_for_output $'list=50001\n\nfilename = n050000.dat\n'
answers_within 3 || fail "the viewer does not answer in a folder of 100,000 names"
stop_viewer
rm -rf "$many"

# ---- Watch file: a script rewrites the file; the view stays; half a file is never read ----
printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > "$scratch/data/wave.dat"
start_and_find_display_window --watch --thickness 0.1 data/wave.dat
wait_for_output $'filename = wave.dat\nfnTrf.nx = 2 points per set = 3\n'
sleep 1.5
shoot first > /dev/null
point_into "$display_window" 400 300
for _ in $(seq 25); do xdotool key X; done
sleep 1
shoot turned > /dev/null
[ "$(differing first turned)" -gt 500 ] || fail "the keys did not turn the view"

# The same points written anew by a script (to a temporary, then renamed): read again.
printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > "$scratch/data/.wave.tmp"
mv "$scratch/data/.wave.tmp" "$scratch/data/wave.dat"
wait_for_count "filename = wave.dat" 2
sleep 1.5
shoot reloaded > /dev/null
[ "$(differing turned reloaded)" -lt 50 ] || fail "the reload did not keep the turned view"

# Half the file, a pause with it open, then the rest: read once, whole.
(
    exec 3> "$scratch/data/wave.dat"
    printf '3 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n' >&3
    sleep 1
    printf '1 2 1\n2 3 1\n0 0 2\n1 1 2\n2 2 2\n' >&3
    exec 3>&-
)
wait_for_count "fnTrf.nx = 3 points per set = 3" 1
sleep 2.5
[ "$(count_output 'filename = wave.dat')" -eq 3 ] || fail "the half-written file was read: $(count_output 'filename = wave.dat') loads"
grep -qiE 'missing|not a number' "$out" && fail "a load saw a half-written file"
stop_viewer

# ---- A failed load keeps the picture and its name ----
# "Files:" (row 17 of the panel) lists a.dat, stations.csv, wave.dat and the folder
# zz-folder, which cannot be read; its list pops down below it, one 17-pixel line an item.
mkdir "$scratch/data/zz-folder"
start_and_find_display_window --thickness 0.1 data/wave.dat
wait_for_output $'list=3\n\nfilename = wave.dat\n'
control=$(find_window '^Control Display$' "$display_window")
wait_for_panel_size "$control"
sleep 1.5
shoot before-failure > /dev/null
click "$control" 110 390
click "$control" 100 $((390 + 26 + 17 * 4))
wait_for_output $'list=4\n\nfilename = zz-folder\n'
sleep 1.5
shoot after-failure > /dev/null
# The reason is told over the top of the picture, which stays as it was below it.
[ "$(differing_in 800x60+0+0 before-failure after-failure)" -gt 100 ] ||
    fail "no message over the picture after a failed load"
[ "$(differing_in 800x540+0+60 before-failure after-failure)" -lt 50 ] ||
    fail "a failed load changed the picture ($(differing_in 800x540+0+60 before-failure after-failure) pixels)"
stop_viewer

grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo "PASS"

#!/usr/bin/env bash
# A long session through the panel, outside the test suite (about 15 minutes):
#   DISPLAY=:N ORVELLE_BINARY_DIR=build bash tests/app/long_session.sh [LOADS] [SWITCHES]
# picks a file in "Files:" LOADS times (1000; two files of 10^5 points in turn) and switches
# "Mono/Stereo" between MonoView and Anaglyph SWITCHES times (100), in ten rounds. After each
# round it prints the viewer's resident memory and how long the display window took to answer
# a key; it fails when memory grows by more than 10 MB after the first round, or when an answer
# takes over 2 s.
set -u
loads=${1:-1000}
switches=${2:-100}
rounds=10
export ORVELLE_E2E_WAIT=${ORVELLE_E2E_WAIT:-60}
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/hand_click.sh"

# Quicker than a hand: the panel queues what comes between two of its frames.
quick_click() {  # WINDOW X Y
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.08
    xdotool mousedown 1
    sleep 0.08
    xdotool mouseup 1
    sleep 0.1
}
resident_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$viewer_pid/status"
}
# Milliseconds the display window takes to answer key "p".
answer_ms() {
    local before start
    before=$(count_output "matCur:")
    point_into "$display_window" 400 300
    start=$(date +%s%N)
    xdotool key p
    while [ "$(count_output "matCur:")" -le "$before" ]; do
        [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 20000 ] || { echo 20000; return; }
        sleep 0.02
    done
    echo $(( ($(date +%s%N) - start) / 1000000 ))
}

awk 'BEGIN { print "100 1000"; for (i = 0; i < 100000; i++) printf "%d %d %.3f\n", i % 1000, int(i / 1000), sin(i / 500) }' \
    > "$scratch/a.dat"
awk 'BEGIN { print "200 500"; for (i = 0; i < 100000; i++) printf "%d %d %.3f\n", i % 500, int(i / 500), cos(i / 300) }' \
    > "$scratch/b.dat"
start_and_find_display_window --display points
control=$(find_window '^Control Display$' "$display_window")
wait_for_panel_size "$control"
# "Display Options", then its "Mono/Stereo": MonoView and Anaglyph at rows 4 and 5.
click "$control" 100 40
click "$control" 100 63

printf '%6s %8s %8s %10s %9s\n' round loads switches rss_mb answer_ms
failures=0
first_rss=0
done_loads=0
done_switches=0
for round in $(seq 1 $rounds); do
    for _ in $(seq 1 $((loads / rounds))); do
        panel_h=$(xdotool getwindowgeometry "$control" | awk '/Geometry:/ { split($2, s, "x"); print s[2] }')
        files_y=$((panel_h - 128))
        item=$((done_loads % 2 + 1))
        want=$(( $(count_output 'filename = ') + 1 ))
        for attempt in 1 2 3; do
            quick_click "$control" 110 "$files_y"
            quick_click "$control" 100 $((files_y + 26 + 17 * item))
            deadline=$((SECONDS + 10))
            while [ "$(count_output 'filename = ')" -lt "$want" ] && [ $SECONDS -lt $deadline ]; do sleep 0.02; done
            [ "$(count_output 'filename = ')" -ge "$want" ] && break
            xdotool key Escape
        done
        [ "$(count_output 'filename = ')" -ge "$want" ] || fail "load $((done_loads + 1)) did not happen"
        done_loads=$((done_loads + 1))
    done
    for _ in $(seq 1 $((switches / rounds))); do
        quick_click "$control" 70 $((done_switches % 2 == 0 ? 109 : 86))
        done_switches=$((done_switches + 1))
    done
    sleep 1
    rss=$(resident_kb)
    ms=$(answer_ms)
    printf '%6d %8d %8d %10.1f %9d\n' "$round" "$done_loads" "$done_switches" "$(echo "$rss / 1024" | bc -l)" "$ms"
    [ "$round" -eq 1 ] && first_rss=$rss
    if [ "$round" -gt 1 ] && [ $((rss - first_rss)) -gt 10240 ]; then
        echo "memory grew by $(( (rss - first_rss) / 1024 )) MB since the first round"
        failures=$((failures + 1))
    fi
    [ "$ms" -le 2000 ] || { echo "the display window took $ms ms to answer"; failures=$((failures + 1)); }
done
[ "$(count_output 'Orvelle<')" -eq 0 ] || true
windows=$(viewer_titled_windows | wc -l)
echo "loads reported: $(count_output 'filename = '); windows of the viewer: $windows"
[ "$failures" -eq 0 ] && echo "PASS" || { echo "FAIL"; exit 1; }

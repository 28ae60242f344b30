#!/usr/bin/env bash
# While a frame of many seconds is drawn in slices, the panel answers a click at once:
# "Display Options" opens and closes (the panel window grows and shrinks) between slices. The
# goal is 0.2 s (about 0.1 s on a quiet machine); the test allows 0.3 s (ORVELLE_ANSWER_MS) for
# a busy one, which still catches the panel's few frames of a click each waiting for a whole
# slice of 0.1 s (about 0.4 s) or a slice that does the work of the slices before it again.
set -u
for tool in xdotool awk; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/e2e_lib.sh"

# 10^6 points scattered at random, joined by tubes: tens of seconds a frame on a software
# renderer, so every click below lands while a frame is being drawn.
awk -v n="${ORVELLE_SLOW_POINTS:-1000000}" 'BEGIN { srand(7); print 40, n / 40
             for (i = 0; i < n; i++) printf "%.4f %.4f %.4f\n", rand(), rand(), rand() }' \
    > "$scratch/scatter.dat"

start_and_find_display_window --format data --display joined scatter.dat
control=$(find_window '^Control Display$' "$display_window")
wait_for_output "filename = scatter.dat"

panel_height() {
    xdotool getwindowgeometry "$control" | awk '/Geometry:/ { split($2, size, "x"); print size[2] }'
}

# Milliseconds from the release of a click on "Display Options" until the panel's height changes.
answer_ms() {
    local before start now
    before=$(panel_height)
    xdotool mousemove --window "$control" 100 40
    sleep 0.3
    xdotool mousedown 1
    sleep 0.05
    start=$(date +%s%N)
    xdotool mouseup 1
    while :; do
        now=$(date +%s%N)
        [ "$(panel_height)" != "$before" ] && break
        [ $(((now - start) / 1000000)) -lt 5000 ] || break
    done
    echo $(((now - start) / 1000000))
}

sleep 1  # the load is shown: frames of the scattered tubes are being drawn from here on
times=()
for _ in 1 2 3 4; do
    times+=("$(answer_ms)")
    sleep 0.5
done
viewer_alive || fail "viewer ended"
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(echo "$sorted" | sed -n 2p)
echo "answers in ms: ${times[*]} (second best $median)"
[ "$median" -le "${ORVELLE_ANSWER_MS:-300}" ] || fail "the panel answered in ${times[*]} ms while a slow frame was drawn"
grep -qE 'AddressSanitizer|runtime error' "$err" && fail "sanitizer report"
echo PASS

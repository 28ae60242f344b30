# Shared steps of the end-to-end tests: start the real viewer on the test display in a
# scratch folder, watch its standard output while it runs, find its windows, end it by id.
# Every wait polls against a deadline, since CI runs these on a loaded machine, also
# under the sanitizers.

set -u

# A busy server can refuse a connection for a moment: ask a few times before skipping.
display_answers() {
    local attempt
    [ -n "${DISPLAY:-}" ] || return 1
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        timeout 10 xdpyinfo >/dev/null 2>&1 && return 0
        sleep 1
    done
    return 1
}
if ! display_answers; then
    echo "SKIP: no X display answers at '${DISPLAY:-}'"
    exit 77
fi

viewer_bin=${ORVELLE_BINARY_DIR:?ORVELLE_BINARY_DIR is not set}/orvelle
if [ ! -x "$viewer_bin" ]; then
    echo "FAIL: $viewer_bin is missing"
    exit 1
fi

# Seconds to wait for anything the viewer should do; generous for sanitizer builds.
wait_limit=${ORVELLE_E2E_WAIT:-60}

scratch=$(mktemp -d)
out=$scratch/stdout.txt
err=$scratch/stderr.txt
viewer_pid=
known_windows=

finish() {
    if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
        kill "$viewer_pid" 2>/dev/null
        wait "$viewer_pid" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    echo "---- viewer stdout (last 40 lines) ----"
    tail -n 40 "$out" 2>/dev/null
    echo "---- viewer stderr (last 40 lines) ----"
    tail -n 40 "$err" 2>/dev/null
    exit 1
}

# Windows on the display with one of the viewer's titles, whoever opened them.
viewer_titled_windows() {
    for title in '^Orvelle<no stereo>$' '^Orvelle<stereo>$' '^Control Display$' '^Movement Controls$'; do
        xdotool search --name "$title" 2>/dev/null
    done | sort -u
}

# start_viewer [ARGUMENTS...]: the viewer in the scratch folder, with its command line.
start_viewer() {
    # Windows of other programs with the same titles (tests share the display) are not ours.
    known_windows=$(viewer_titled_windows)
    (cd "$scratch" && exec "$viewer_bin" "$@" >"$out" 2>"$err") &
    viewer_pid=$!
}

viewer_alive() {
    kill -0 "$viewer_pid" 2>/dev/null
}

# Reads the whole output so far into $text, trailing newlines kept (a command
# substitution alone would drop them).
read_output() {
    text=$(cat "$out"; printf x)
    text=${text%x}
}

# output_contains TEXT: TEXT may span lines; a single line is looked up with grep, since
# with diagnostics on the output grows by every frame.
output_contains() {
    local line=${1%$'\n'}
    if [[ "$line" != *$'\n'* ]]; then
        grep -qF -- "$line" "$out"
    else
        read_output
        [[ "$text" == *"$1"* ]]
    fi
}

# wait_for_output TEXT: polls until the output contains TEXT.
wait_for_output() {
    local deadline=$((SECONDS + wait_limit))
    while [ $SECONDS -lt $deadline ]; do
        output_contains "$1" && return 0
        viewer_alive || fail "viewer ended while waiting for output '$1'"
        sleep 0.2
    done
    fail "no output '$1' within ${wait_limit}s"
}

count_output() {
    grep -cF -- "$1" "$out"
}

# find_window TITLE_REGEX: prints the id of the one window with that title that this
# viewer opened (new since the start, and on the viewer's own X connection once the
# display window is known), waiting for it.
find_window() {
    local regex=$1 owner=${2:-} deadline=$((SECONDS + wait_limit)) ids id found
    while [ $SECONDS -lt $deadline ]; do
        ids=$(timeout 10 xdotool search --name "$regex" 2>/dev/null)
        found=()
        for id in $ids; do
            grep -qx "$id" <<<"$known_windows" && continue
            # Windows of one X client share the bits above the resource mask.
            if [ -n "$owner" ] && [ $((id >> 21)) -ne $((owner >> 21)) ]; then
                continue
            fi
            found+=("$id")
        done
        if [ ${#found[@]} -eq 1 ]; then
            echo "${found[0]}"
            return 0
        fi
        viewer_alive || fail "viewer ended while waiting for window '$regex'"
        sleep 0.2
    done
    fail "no single new window '$regex' within ${wait_limit}s"
}

# rgb_pixels PNG [WxH+X+Y]: the picture's pixels (or those of the part given), one "R G B" line
# (0 to 255) each, row after row from the top left. For awk: some times quicker than reading
# ImageMagick's text listing.
rgb_pixels() {
    convert "$1" ${2:+-crop "$2" +repage} -depth 8 rgb:- | od -An -v -tu1 -w3
}

# geometry ID: prints "X Y WIDTH HEIGHT".
geometry() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}

# wait_for_geometry ID "X Y WIDTH HEIGHT"
wait_for_geometry() {
    local deadline=$((SECONDS + wait_limit)) now=
    while [ $SECONDS -lt $deadline ]; do
        now=$(geometry "$1")
        [ "$now" = "$2" ] && return 0
        viewer_alive || fail "viewer ended while waiting for geometry '$2'"
        sleep 0.2
    done
    fail "window $1 has geometry '$now', expected '$2'"
}

# wait_for_panel_size ID: a panel window opens at 120 x 60 and then takes the size of its
# controls over its first frames (slow ones under the sanitizers); clicks placed from its
# size or its rows wait until it has grown and two looks half a second apart agree.
wait_for_panel_size() {
    local deadline=$((SECONDS + wait_limit)) now= before=
    while [ $SECONDS -lt $deadline ]; do
        now=$(geometry "$1")
        read -r _ _ w h <<<"$now"
        if [ "$now" = "$before" ] && { [ "$w" != 120 ] || [ "$h" != 60 ]; }; then
            return 0
        fi
        before=$now
        viewer_alive || fail "viewer ended while panel $1 took its size"
        sleep 0.5
    done
    fail "panel $1 did not settle at its size (now '$now')"
}

is_visible() {
    xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -qx "$1"
}

# wait_for_visibility ID TITLE_REGEX yes|no
wait_for_visibility() {
    local deadline=$((SECONDS + wait_limit)) want=$3
    while [ $SECONDS -lt $deadline ]; do
        if is_visible "$1" "$2"; then
            [ "$want" = yes ] && return 0
        else
            [ "$want" = no ] && return 0
        fi
        viewer_alive || fail "viewer ended while waiting for '$2' visible=$want"
        sleep 0.2
    done
    fail "window '$2' not visible=$want within ${wait_limit}s"
}

# Under Xvfb there is no window manager: keyboard focus follows the pointer. (xdotool's
# own --sync waits for a movement, forever when the pointer is there already.)
point_into() {
    local deadline=$((SECONDS + wait_limit)) WINDOW=
    while [ $SECONDS -lt $deadline ]; do
        xdotool mousemove --window "$1" "$2" "$3" 2>/dev/null
        eval "$(xdotool getmouselocation --shell 2>/dev/null | grep '^WINDOW=')"
        [ "$WINDOW" = "$1" ] && return 0
        sleep 0.2
    done
    fail "the pointer did not get into window $1"
}

# The standard start: viewer up, start-up lines printed, display window found.
start_and_find_display_window() {
    start_viewer "$@"
    wait_for_output "GLUI version: 2.01"$'\n'
    display_window=$(find_window '^Orvelle<no stereo>$')
}

# stop_viewer: ends the viewer by its id and waits for it, so that another can start.
stop_viewer() {
    if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
        kill "$viewer_pid" 2>/dev/null
        wait "$viewer_pid" 2>/dev/null
    fi
    viewer_pid=
}

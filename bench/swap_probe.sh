# The probe on the display window's buffer swaps that the viewer's figures count, sourced by
# bench/viewer_rate.sh and bench/viewer_motion.sh: a perf probe on glXSwapBuffers, set afresh
# and dropped again. Expects $work (a scratch folder) to be set.
swap_library=/usr/lib/x86_64-linux-gnu/libGLX.so.0
swap_event=probe_libGLX:glXSwapBuffers

# Sets the probe, or prints why not in a line beginning with WHAT and exits 1.
set_swap_probe() {  # what
  perf probe -q -d "$swap_event" 2> /dev/null
  perf probe -q -x "$swap_library" glXSwapBuffers 2> "$work/probe.log" ||
    { echo "$1: the swap probe could not be set ($(head -1 "$work/probe.log"))"; exit 1; }
}

drop_swap_probe() {
  perf probe -q -d "$swap_event" 2> /dev/null
}

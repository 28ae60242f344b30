# Sourced by scripts that drive the viewer with xdotool.
# click WINDOW X Y: a press and a release apart in time, as a hand makes them, at (X, Y) of
# the window; the waits let the viewer's event loop take each step before the next.
click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  xdotool mouseup 1
  sleep 0.7
}

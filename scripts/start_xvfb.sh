#!/usr/bin/env bash
# Starts a private Xvfb and prints "DISPLAY PID" once it accepts connections.
# Xvfb picks a free display number itself (-displayfd), so servers started at the same
# time by other runs never share one. Without -noreset the server resets whenever its last
# client leaves, and a test connecting during the reset is refused.
set -euo pipefail
fifo=$(mktemp -u /tmp/orvelle-xvfb.XXXXXX)
mkfifo "$fifo"
trap 'rm -f "$fifo"' EXIT
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -ac -noreset 3>"$fifo" >/dev/null 2>&1 &
pid=$!
if ! read -r -t 20 number < "$fifo"; then
  kill "$pid" 2>/dev/null || true
  echo "could not start Xvfb" >&2
  exit 1
fi
for _ in $(seq 1 100); do
  if xdpyinfo -display ":$number" >/dev/null 2>&1; then
    echo ":$number $pid"
    exit 0
  fi
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
echo "Xvfb :$number does not answer" >&2
exit 1

#!/usr/bin/env bash
# Starts a private Xvfb on the first free display number and prints "DISPLAY PID".
set -euo pipefail
for n in $(seq 90 130); do
  [ -e "/tmp/.X${n}-lock" ] && continue
  Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp -ac >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then
      echo ":$n $pid"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
done
echo "could not start Xvfb" >&2
exit 1

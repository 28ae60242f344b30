# The measuring and figure helpers of bench/run.sh, sourced by it; they expect $out (the output
# folder) and $limit (seconds one command may take) to be set.

# Shows on standard error what a failed command said.
report_failure() {
  echo "failed: $*" >&2
  tail -5 "$out/last-error.log" | sed 's/^/  /' >&2
}

# For a command's exit status: "timeout" or "failed" (showing what the command said), and
# false when it succeeded.
failure_word() {
  local status=$1
  shift
  if [ "$status" -eq 124 ]; then
    echo timeout
  elif [ "$status" -ne 0 ]; then
    report_failure "$@"
    echo failed
  else
    return 1
  fi
}

# Prints the median milliseconds from a "frames: N median-ms: M" line, or "timeout" / "failed".
# The command's whole output stays in $out/last-output.log for peak_memory.
frame_time() {
  local output status=0
  output=$(timeout "$limit" "$@" 2> "$out/last-error.log") || status=$?
  printf '%s\n' "$output" > "$out/last-output.log"
  failure_word "$status" "$@" ||
    sed -n 's/^frames: [0-9]* median-ms: \([0-9.]*\)$/\1/p' <<< "$output" | tail -1 | grep . || echo failed
}

# The "peak-memory-mb" of the command frame_time ran last, given what frame_time printed for it:
# a run that failed or timed out has no peak of its own and gives that word instead.
peak_memory() {  # frame time printed
  if [[ $1 =~ ^[0-9.]+$ ]]; then
    sed -n 's/^peak-memory-mb: \([0-9.]*\)$/\1/p' "$out/last-output.log" | tail -1 | grep . || echo failed
  else
    echo "$1"
  fi
}

# Prints the wall time in seconds of the whole command, or "timeout" / "failed".
process_time() {
  local start end status=0
  start=$(date +%s%N)
  timeout "$limit" "$@" > /dev/null 2> "$out/last-error.log" || status=$?
  end=$(date +%s%N)
  failure_word "$status" "$@" || awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}

# The least of the figures on standard input; a failed or timed-out one counts as the largest.
least() {
  awk '{ print ($0 ~ /^[0-9.]+$/ ? $0 : 1e99), $0 }' | sort -g | head -1 | cut -d' ' -f2
}

# The largest figure on standard input, or the first word when there is no figure at all.
largest() {
  awk '{ print ($0 ~ /^[0-9.]+$/ ? $0 : -1), $0 }' | sort -g | tail -1 | cut -d' ' -f2
}

# The middle of three figures; a failed or timed-out one counts as the largest.
median3() {
  printf '%s\n' "$@" | awk '{ print ($0 ~ /^[0-9.]+$/ ? $0 : 1e99), $0 }' | sort -g | sed -n '2p' | cut -d' ' -f2
}

# Orvelle/VTK, or "-" when either figure is missing.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) printf "%.2f", a / b; else print "-" }'
}

# "met" when the figure is a number and compares as asked with the limit, else "missed".
goal() {  # figure, <= or >=, limit
  awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN {
    if (v !~ /^[0-9.]+$/) { print "missed"; exit }
    print ((op == "<=" ? v <= l : v >= l) ? "met" : "missed") }'
}

# goal for a ratio against VTK; "-" when VTK was left out (BENCH_VTK=0), which misses nothing.
vtk_goal() {  # VTK's figure, ratio, <= or >=, limit
  if [ "$1" = skipped ]; then
    echo "-"
  else
    goal "$2" "$3" "$4"
  fi
}

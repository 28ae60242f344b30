#!/usr/bin/env bash
# Side-by-side benchmark: orvelle-render against the same scenes drawn by VTK 9 (bench/vtk_scene.py),
# frame times at 800x600 and the whole-process time to the first picture, with the ratios Orvelle/VTK
# and the goals they are held against.
#   bench/run.sh [FRAMES]        FRAMES timed frames per case (default 10)
# Environment: BENCH_ROUNDS (rounds of the frame-time cases, the least median counts; default 5),
# BENCH_BUILD (build folder, default build-bench), BENCH_TIMEOUT (seconds one command may
# take, default 150), BENCH_BIG_JOINED_FRAMES (frames of 10^6 points as joined line sets, default 3),
# BENCH_ANGLES (turn of the scene about x,y,z in degrees, default 30,0,0), BENCH_MEMORY (0 leaves out
# the peak memory of 10^6 points in every display type).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
frames=${1:-10}
rounds=${BENCH_ROUNDS:-5}
build=${BENCH_BUILD:-$root/build-bench}
limit=${BENCH_TIMEOUT:-150}
big_joined_frames=${BENCH_BIG_JOINED_FRAMES:-3}
angles=${BENCH_ANGLES:-30,0,0}
size=800x600
out=$here/out
python=/usr/bin/python3  # Debian's interpreter, the one python3-vtk9 installs into

if ! [[ $frames =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/run.sh [FRAMES]" >&2
  exit 2
fi

# --- what it needs -------------------------------------------------------------------------------
"$root/scripts/install_deps.sh" build python3 python3-vtk9 python3-numpy linux-perf

# --- builds and data -----------------------------------------------------------------------------
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
fi
cmake --build "$build" --target orvelle-render orvelle make-bench-data -j2 > "$build/bench-build.log" 2>&1 ||
  { tail -20 "$build/bench-build.log" >&2; echo "orvelle-render, orvelle and make-bench-data did not build" >&2; exit 1; }
render=$build/orvelle-render
make_data=$build/tools/make_bench_data/make-bench-data

# Writes one data file unless it is there already and newer than the generator.
ensure_data() {  # shape, sets, points, file
  if [ ! -f "$4" ] || [ "$make_data" -nt "$4" ]; then
    "$make_data" "$@"
  fi
}
mkdir -p "$out"
ensure_data shell 1000 1000 "$out/points.dat"
ensure_data surface 1000 1000 "$out/surface.dat"
ensure_data helices 10 1001 "$out/segments.dat"

# VTK draws into a window of a private X server; orvelle-render needs no display.
read -r display xvfb_pid < <("$root/scripts/start_xvfb.sh")
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=$display

# --- measuring -----------------------------------------------------------------------------------
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
frame_time() {
  local output status=0
  output=$(timeout "$limit" "$@" 2> "$out/last-error.log") || status=$?
  failure_word "$status" "$@" ||
    sed -n 's/^frames: [0-9]* median-ms: \([0-9.]*\)$/\1/p' <<< "$output" | tail -1 | grep . || echo failed
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

declare -A orvelle vtk
cases=(points filled joined)
declare -A case_file=([points]=points.dat [filled]=surface.dat [joined]=segments.dat)
declare -A case_name=([points]="10^6 points" [filled]="1000x1000 filled surface" [joined]="10^4 joined tubes")

echo "Orvelle against VTK $("$python" -c 'from vtkmodules.vtkCommonCore import vtkVersion; print(vtkVersion.GetVTKVersion())'), ${size}, median of $frames frames after VTK's warm-up frame, least of $rounds rounds"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'); load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for c in "${cases[@]}"; do
  file=$out/${case_file[$c]}
  o_runs=() v_runs=()
  for ((round = 0; round < rounds; round++)); do
    for view in mono anaglyph; do
      o_runs+=("$view $(frame_time "$render" --frames "$frames" --size "$size" --display "$c" --segments 8 \
        --view "$view" --angles "$angles" --no-file-name --output "$out/orvelle-$c-$view.png" "$file")")
      v_runs+=("$view $(frame_time "$python" "$here/vtk_scene.py" --frames "$frames" --size "$size" --scene "$c" \
        --view "$view" --angles "$angles" "$file")")
    done
  done
  for view in mono anaglyph; do
    orvelle[$c-$view]=$(printf '%s\n' "${o_runs[@]}" | sed -n "s/^$view //p" | least)
    vtk[$c-$view]=$(printf '%s\n' "${v_runs[@]}" | sed -n "s/^$view //p" | least)
    printf '%-26s %-9s Orvelle %10s ms   VTK %10s ms   (rounds: Orvelle %s; VTK %s)\n' "${case_name[$c]}" "$view" \
      "${orvelle[$c-$view]}" "${vtk[$c-$view]}" \
      "$(printf '%s\n' "${o_runs[@]}" | sed -n "s/^$view //p" | tr '\n' ' ' | sed 's/ $//')" \
      "$(printf '%s\n' "${v_runs[@]}" | sed -n "s/^$view //p" | tr '\n' ' ' | sed 's/ $//')"
  done
done

first_o=() first_v=()
for _ in 1 2 3; do
  first_o+=("$(process_time "$render" --size "$size" --display points --angles "$angles" --no-file-name \
    --output "$out/first-orvelle.png" "$out/points.dat")")
  first_v+=("$(process_time "$python" "$here/vtk_scene.py" --size "$size" --scene points --angles "$angles" \
    --picture "$out/first-vtk.png" "$out/points.dat")")
done
first_orvelle=$(median3 "${first_o[@]}")
first_vtk=$(median3 "${first_v[@]}")
echo "first picture of 10^6 points: Orvelle ${first_o[*]} s, VTK ${first_v[*]} s"

big_joined=$(frame_time "$render" --frames "$big_joined_frames" --size "$size" --display joined --segments 8 \
  --view mono --angles "$angles" --no-file-name --output "$out/orvelle-joined-1e6.png" "$out/points.dat")
# A timed-out run still bounds the rate: fewer than FRAMES frames in the time allowed.
big_fps=$(awk -v ms="$big_joined" -v n="$big_joined_frames" -v l="$limit" 'BEGIN {
  if (ms ~ /^[0-9.]+$/ && ms > 0) printf "%.2f", 1000 / ms
  else if (ms == "timeout") printf "<%.3f", n / l
  else print ms }')
echo "10^6 points as joined line sets: Orvelle $big_joined ms a frame ($big_fps frames a second)"
viewer_fps=$("$here/viewer_rate.sh" "$build/orvelle" "$out/points.dat" 10)
echo "10^6 points as joined line sets in the viewer (800x600 window): $viewer_fps"
viewer_fps=$(sed -n 's/^frames-per-second: //p' <<< "$viewer_fps" | grep . || echo failed)

# Peak resident memory with 10^6 points loaded and drawn (the first frame and one more) in each
# display type, against 100 MB plus three times the data set's own 24 bytes a point.
memory_types=(points joined needled grid filled)
memory_limit=$(awk 'BEGIN { printf "%.0f", 100 + 3 * 24 }')
declare -A memory
if [ "${BENCH_MEMORY:-1}" != 0 ]; then
  for d in "${memory_types[@]}"; do
    status=0
    output=$(timeout "$limit" "$render" --frames 1 --size "$size" --display "$d" --segments 8 --view anaglyph \
      --angles "$angles" --no-file-name --output "$out/memory-$d.png" "$out/points.dat" 2> "$out/last-error.log") ||
      status=$?
    if [ "$status" -eq 124 ]; then
      memory[$d]=timeout
    else
      memory[$d]=$(sed -n 's/^peak-memory-mb: \([0-9.]*\)$/\1/p' <<< "$output" | grep . || echo failed)
    fi
    echo "peak memory, 10^6 points $d (anaglyph): ${memory[$d]} MB"
  done
fi

# --- the table -----------------------------------------------------------------------------------
echo
printf '%-36s %11s %11s %8s   %-34s %s\n' "case (800x600)" "Orvelle" "VTK" "O/VTK" "goal" "result"
for c in "${cases[@]}"; do
  mono_ratio=$(ratio "${orvelle[$c-mono]}" "${vtk[$c-mono]}")
  printf '%-36s %8s ms %8s ms %8s   %-34s %s\n' "${case_name[$c]}, mono" "${orvelle[$c-mono]}" \
    "${vtk[$c-mono]}" "$mono_ratio" "O/VTK <= 0.5" "$(goal "$mono_ratio" '<=' 0.5)"
  stereo_cost=$(ratio "${orvelle[$c-anaglyph]}" "${orvelle[$c-mono]}")
  printf '%-36s %8s ms %8s ms %8s   %-34s %s\n' "${case_name[$c]}, anaglyph" "${orvelle[$c-anaglyph]}" \
    "${vtk[$c-anaglyph]}" "$(ratio "${orvelle[$c-anaglyph]}" "${vtk[$c-anaglyph]}")" \
    "Orvelle anaglyph/mono $stereo_cost <= 2" "$(goal "$stereo_cost" '<=' 2)"
done
first_ratio=$(ratio "$first_orvelle" "$first_vtk")
printf '%-36s %9s s %9s s %8s   %-34s %s\n' "first picture of 10^6 points" "$first_orvelle" "$first_vtk" \
  "$first_ratio" "O/VTK <= 0.5 (median of 3)" "$(goal "$first_ratio" '<=' 0.5)"
printf '%-36s %8s ms %11s %8s   %-34s %s\n' "10^6 points as joined line sets" "$big_joined" "-" "-" \
  "$big_fps frames/s >= 5" "$(goal "$big_fps" '>=' 5)"
printf '%-36s %8s /s %11s %8s   %-34s %s\n' "same, frames/s in the viewer" "$viewer_fps" "-" "-" \
  "$viewer_fps frames/s >= 5" "$(goal "$viewer_fps" '>=' 5)"
if [ "${BENCH_MEMORY:-1}" != 0 ]; then
  for d in "${memory_types[@]}"; do
    printf '%-36s %8s MB %11s %8s   %-34s %s\n' "peak memory, 10^6 points, $d" "${memory[$d]}" "-" "-" \
      "<= $memory_limit MB" "$(goal "${memory[$d]}" '<=' "$memory_limit")"
  done
fi
echo
echo "pictures: $out/orvelle-*.png, first-orvelle.png, first-vtk.png; load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"

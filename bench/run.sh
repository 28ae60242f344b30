#!/usr/bin/env bash
# Side-by-side benchmark: orvelle-render against the same scenes drawn by VTK 9 (bench/vtk_scene.py),
# frame times at 800x600 and the whole-process time to the first picture, with the ratios Orvelle/VTK
# and the goals they are held against; at the size of the first figures (1x) and at ten times it (10x).
#   bench/run.sh [FRAMES]        FRAMES timed frames per case (default 10)
# Environment (bench/README.md has the details): BENCH_SIZES (1x, 10x or both, default both),
# BENCH_CASES (points, filled, joined, walks, first, lines, viewer, motion, memory, stereo, smooth; default all), BENCH_VTK (0 leaves
# VTK out), BENCH_ROUNDS (rounds of the frame-time cases, the least median counts; default 5),
# BENCH_ROUNDS_10X (the same for 10x, default BENCH_ROUNDS), BENCH_BUILD (build folder, default
# build-bench), BENCH_TIMEOUT (seconds one command may take, default 150), BENCH_TIMEOUT_10X (the same
# for 10x, default 300), BENCH_BIG_JOINED_FRAMES (frames of 10^6 points as joined line sets, default 3),
# BENCH_ANGLES (turn of the scene about x,y,z in degrees, default 30,0,0), BENCH_MEMORY (0 leaves out
# the peak memory of 10^6 points in every display type), BENCH_PLAIN_FRAMES (frames of the plain
# drawing's one round, default 3; 0 leaves it out).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
frames=${1:-10}
rounds=${BENCH_ROUNDS:-5}
rounds_10x=${BENCH_ROUNDS_10X:-$rounds}
build=${BENCH_BUILD:-$root/build-bench}
limit=${BENCH_TIMEOUT:-150}
limit_10x=${BENCH_TIMEOUT_10X:-300}
big_joined_frames=${BENCH_BIG_JOINED_FRAMES:-3}
angles=${BENCH_ANGLES:-30,0,0}
plain_frames=${BENCH_PLAIN_FRAMES:-3}
with_vtk=${BENCH_VTK:-1}
size=800x600
out=$here/out
python=/usr/bin/python3  # Debian's interpreter, the one python3-vtk9 installs into

usage() {
  echo "usage: bench/run.sh [FRAMES]   ($1)" >&2
  exit 2
}
[[ $frames =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ && $rounds_10x =~ ^[1-9][0-9]*$ ]] ||
  usage "FRAMES, BENCH_ROUNDS and BENCH_ROUNDS_10X are whole numbers from 1"
[[ $limit =~ ^[1-9][0-9]*$ && $limit_10x =~ ^[1-9][0-9]*$ ]] ||
  usage "BENCH_TIMEOUT and BENCH_TIMEOUT_10X are seconds"
[[ $plain_frames =~ ^[0-9]+$ ]] || usage "BENCH_PLAIN_FRAMES is a whole number"
[[ $with_vtk == [01] ]] || usage "BENCH_VTK is 0 or 1"

# Which sizes and cases run: lists separated by commas or spaces.
declare -A size_on case_on
for s in ${BENCH_SIZES:-1x,10x}; do
  for s in ${s//,/ }; do
    [[ $s == 1x || $s == 10x ]] || usage "BENCH_SIZES takes 1x and 10x, not '$s'"
    size_on[$s]=1
  done
done
for c in ${BENCH_CASES:-points,filled,joined,walks,first,lines,viewer,motion,memory,stereo,smooth}; do
  for c in ${c//,/ }; do
    [[ $c =~ ^(points|filled|joined|walks|first|lines|viewer|motion|memory|stereo|smooth)$ ]] ||
      usage "BENCH_CASES takes points, filled, joined, walks, first, lines, viewer, motion, memory, stereo and smooth, not '$c'"
    case_on[$c]=1
  done
done
[ "${BENCH_MEMORY:-1}" != 0 ] || case_on[memory]=""
sizes=() scenes=() cases=()
for s in 1x 10x; do
  [ -z "${size_on[$s]:-}" ] || sizes+=("$s")
done
for c in points filled joined walks first lines viewer motion memory stereo smooth; do
  [ -z "${case_on[$c]:-}" ] || cases+=("$c")
done
for c in points filled joined walks; do
  [ -z "${case_on[$c]:-}" ] || scenes+=("$c")
done
[ ${#sizes[@]} -gt 0 ] && [ ${#cases[@]} -gt 0 ] || usage "BENCH_SIZES and BENCH_CASES name nothing"
# Wants SIZE CASE: whether that case runs at that size (lines, memory, stereo and smooth are 1x only).
wants() {
  [ -n "${size_on[$1]:-}" ] && [ -n "${case_on[$2]:-}" ] && { [ "$1" = 1x ] || [[ $2 =~ ^(points|filled|joined|walks|first|viewer|motion)$ ]]; }
}

# --- what it needs -------------------------------------------------------------------------------
"$root/scripts/install_deps.sh" build python3 python3-vtk9 python3-numpy linux-perf

# --- builds and data -----------------------------------------------------------------------------
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
fi
cmake --build "$build" --target orvelle-render orvelle make-bench-data -j2 > "$build/bench-build.log" 2>&1 ||
  { tail -20 "$build/bench-build.log" >&2; echo "orvelle-render, orvelle and make-bench-data did not build" >&2; exit 1; }
render=$build/orvelle-render
# Every frame time but those of "smooth" is of pictures without smoothed edges, as VTK draws
# them and as the figures before --antialias were.
unsmoothed=(--antialias 1)
make_data=$build/tools/make_bench_data/make-bench-data

# The files, their names in the output and the shape, sets and points that make them. 10x keeps each
# 1x shape: the same curves and helices with ten times the points along them, the surface's grid
# finer in both directions.
# The walks are tubes too, scattered through the cube where the helices' tubes hide each other.
declare -A case_file=([1x-points]=points.dat [1x-filled]=surface.dat [1x-joined]=segments.dat [1x-walks]=walks.dat
  [10x-points]=points-10x.dat [10x-filled]=surface-10x.dat [10x-joined]=segments-10x.dat [10x-walks]=walks-10x.dat)
declare -A case_name=([1x-points]="10^6 points" [1x-filled]="1000x1000 filled surface" [1x-joined]="10^4 joined tubes"
  [1x-walks]="10^4 walk tubes" [10x-points]="10^7 points" [10x-filled]="3162x3162 filled surface"
  [10x-joined]="10^5 joined tubes" [10x-walks]="10^5 walk tubes")
declare -A case_data=([1x-points]="shell 1000 1000" [1x-filled]="surface 1000 1000" [1x-joined]="helices 10 1001"
  [1x-walks]="walks 1000 11" [10x-points]="shell 1000 10000" [10x-filled]="surface 3162 3162"
  [10x-joined]="helices 10 10001" [10x-walks]="walks 10000 11")
# The display type of each scene (Orvelle's --display, the VTK script's --scene).
declare -A scene_display=([points]=points [filled]=filled [joined]=joined [walks]=joined)

# Writes one data file unless it is there already and newer than the generator.
ensure_data() {  # shape, sets, points, file
  if [ ! -f "$4" ] || [ "$make_data" -nt "$4" ]; then
    "$make_data" "$@"
  fi
}
mkdir -p "$out"
for s in "${sizes[@]}"; do
  for c in points filled joined walks; do
    # The points file also serves the first picture, the viewer, and at 1x the line sets and
    # memory; at 10x the viewer draws the surface too. The stereo modes take all three scenes.
    if wants "$s" "$c" || wants "$s" motion || { { wants "$s" stereo || wants "$s" smooth; } && [ "$c" != walks ]; } || { [ "$c" = points ] && { wants "$s" first || wants "$s" lines ||
         wants "$s" viewer || wants "$s" memory; }; } || { [ "$s-$c" = 10x-filled ] && wants "$s" viewer; }; then
      read -r shape sets points <<< "${case_data[$s-$c]}"
      ensure_data "$shape" "$sets" "$points" "$out/${case_file[$s-$c]}"
    fi
  done
done

# VTK and the viewer draw into windows of a private X server; orvelle-render needs no display.
# The viewer while the view moves reads 10^8 points besides.
if wants 10x motion; then
  ensure_data shell 1000 100000 "$out/points-100x.dat"
fi

if [ "$with_vtk" = 1 ] || wants 1x viewer || wants 10x viewer || wants 10x motion; then
  read -r display xvfb_pid < <("$root/scripts/start_xvfb.sh")
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  export DISPLAY=$display
fi

# --- measuring -----------------------------------------------------------------------------------
source "$here/measure.sh"

declare -A orvelle vtk orvelle_peak vtk_peak first_orvelle first_vtk plain

# The rounds of one figure for one view, on one line.
rounds_of() {  # view, "view figure" lines...
  local view=$1
  shift
  printf '%s\n' "$@" | sed -n "s/^$view //p" | tr '\n' ' ' | sed 's/ $//'
}

# One scene in mono, anaglyph and (Orvelle's alone) StereoView over the rounds, Orvelle and VTK
# taking turns: keeps the least median of each side and the largest peak memory of each side's
# anaglyph rounds. Orvelle's frames are drawn as the renderer has them drawn (assisted on a software
# renderer); one round of the plain drawing in mono follows (BENCH_PLAIN_FRAMES frames).
scene_case() {  # size, scene, rounds
  local s=$1 c=$2 n=$3 round view figure
  local file=$out/${case_file[$1-$2]} picture=$out/orvelle-$2 o_runs=() v_runs=() o_peaks=() v_peaks=()
  [ "$s" = 1x ] || picture=$out/orvelle-$s-$c
  for ((round = 0; round < n; round++)); do
    for view in mono anaglyph stereo; do
      figure=$(frame_time "$render" "${unsmoothed[@]}" --frames "$frames" --size "$size" --display "${scene_display[$c]}" --segments 8 \
        --view "$view" --angles "$angles" --no-file-name --output "$picture-$view.png" "$file")
      o_runs+=("$view $figure")
      [ "$view" != anaglyph ] || o_peaks+=("$(peak_memory "$figure")")
      [ "$view" != stereo ] || continue  # VTK's StereoView needs a stereo window
      if [ "$with_vtk" = 1 ]; then
        figure=$(frame_time "$python" "$here/vtk_scene.py" --frames "$frames" --size "$size" \
          --scene "${scene_display[$c]}" --view "$view" --angles "$angles" "$file")
        [ "$view" = mono ] || v_peaks+=("$(peak_memory "$figure")")
      else
        figure=skipped
      fi
      v_runs+=("$view $figure")
    done
  done
  orvelle_peak[$s-$c]=$(printf '%s\n' "${o_peaks[@]}" | largest)
  vtk_peak[$s-$c]=$([ "$with_vtk" = 1 ] && printf '%s\n' "${v_peaks[@]}" | largest || echo skipped)
  for view in mono anaglyph stereo; do
    orvelle[$s-$c-$view]=$(printf '%s\n' "${o_runs[@]}" | sed -n "s/^$view //p" | least)
    vtk[$s-$c-$view]=$(printf '%s\n' "${v_runs[@]}" | sed -n "s/^$view //p" | least | grep . || echo -)
    printf '%-26s %-12s Orvelle %10s ms   VTK %10s ms   (rounds: Orvelle %s; VTK %s)\n' "${case_name[$s-$c]}" "$view" \
      "${orvelle[$s-$c-$view]}" "${vtk[$s-$c-$view]}" "$(rounds_of "$view" "${o_runs[@]}")" \
      "$(rounds_of "$view" "${v_runs[@]}")"
  done
  if [ "$plain_frames" -gt 0 ]; then
    plain[$s-$c]=$(frame_time "$render" "${unsmoothed[@]}" --frames "$plain_frames" --drawing plain --size "$size" \
      --display "${scene_display[$c]}" --segments 8 --view mono --angles "$angles" --no-file-name --output "$picture-plain.png" "$file")
    printf '%-26s %-12s Orvelle %10s ms   (plain drawing, one round of %s frames)\n' "${case_name[$s-$c]}" mono \
      "${plain[$s-$c]}" "$plain_frames"
  fi
}

# The whole process to the first picture of the size's points, median of three runs a side.
first_picture() {  # size
  local s=$1 tag="" file=$out/${case_file[$1-points]} first_o=() first_v=()
  [ "$s" = 1x ] || tag=-$s
  for _ in 1 2 3; do
    first_o+=("$(process_time "$render" "${unsmoothed[@]}" --size "$size" --display points --angles "$angles" --no-file-name \
      --output "$out/first-orvelle$tag.png" "$file")")
    if [ "$with_vtk" = 1 ]; then
      first_v+=("$(process_time "$python" "$here/vtk_scene.py" --size "$size" --scene points --angles "$angles" \
        --picture "$out/first-vtk$tag.png" "$file")")
    else
      first_v+=(skipped)
    fi
  done
  first_orvelle[$s]=$(median3 "${first_o[@]}")
  first_vtk[$s]=$(median3 "${first_v[@]}")
  echo "first picture of ${case_name[$s-points]}: Orvelle ${first_o[*]} s, VTK ${first_v[*]} s"
}

# The view modes of two eyes in one window against MonoView, in the same rounds, and against VTK's
# stereo type of the same kind where it has one: SplitViewportHorizontal (which keeps the window's
# aspect ratio in each half, as --squeeze does), Interlaced and Anaglyph (a colour anaglyph).
stereo_views=(mono side-by-side top-bottom interleaved color-anaglyph)
declare -A stereo_vtk=([mono]=1 [side-by-side]=1 [interleaved]=1 [color-anaglyph]=1) stereo_o stereo_v
stereo_case() {  # scene, rounds
  local c=$1 n=$2 round view figure squeeze file=$out/${case_file[1x-$1]} o_runs=() v_runs=()
  for ((round = 0; round < n; round++)); do
    for view in "${stereo_views[@]}"; do
      squeeze=()
      [ "$view" != side-by-side ] || squeeze=(--squeeze)
      figure=$(frame_time "$render" "${unsmoothed[@]}" --frames "$frames" --size "$size" --display "$c" --segments 8 --view "$view" \
        "${squeeze[@]}" --angles "$angles" --no-file-name --output "$out/orvelle-$c-$view.png" "$file")
      o_runs+=("$view $figure")
      if [ "$with_vtk" = 1 ] && [ -n "${stereo_vtk[$view]:-}" ]; then
        figure=$(frame_time "$python" "$here/vtk_scene.py" --frames "$frames" --size "$size" --scene "$c" \
          --view "$view" --angles "$angles" "$file")
      elif [ "$with_vtk" = 1 ]; then
        figure=none
      else
        figure=skipped
      fi
      v_runs+=("$view $figure")
    done
  done
  for view in "${stereo_views[@]}"; do
    stereo_o[$c-$view]=$(printf '%s\n' "${o_runs[@]}" | sed -n "s/^$view //p" | least)
    stereo_v[$c-$view]=$(printf '%s\n' "${v_runs[@]}" | sed -n "s/^$view //p" | least)
    printf '%-26s %-15s Orvelle %10s ms   VTK %10s ms   (rounds: Orvelle %s; VTK %s)\n' "${case_name[1x-$c]}" "$view" \
      "${stereo_o[$c-$view]}" "${stereo_v[$c-$view]}" "$(rounds_of "$view" "${o_runs[@]}")" \
      "$(rounds_of "$view" "${v_runs[@]}")"
  done
}

# The rows of the stereo modes: each at most 1.3 times MonoView, as every frame of two eyes, and at most half VTK's time for
# the same stereo type.
stereo_rows() {
  local c view cost vs result
  for c in points filled joined; do
    for view in "${stereo_views[@]:1}"; do
      cost=$(ratio "${stereo_o[$c-$view]}" "${stereo_o[$c-mono]}")
      vs=$(ratio "${stereo_o[$c-$view]}" "${stereo_v[$c-$view]}")
      result=$(goal "$cost" '<=' 1.3)
      if [ "${stereo_v[$c-$view]}" != none ] && [ "$(vtk_goal "${stereo_v[$c-$view]}" "$vs" '<=' 0.5)" = missed ]; then
        result=missed
      fi
      printf '%-36s %8s ms %8s ms %8s   %-34s %s\n' "${case_name[1x-$c]}, $view" "${stereo_o[$c-$view]}" \
        "${stereo_v[$c-$view]/none/-}" "$vs" \
        "O/mono $cost <= 1.3$([ "${stereo_v[$c-$view]}" = none ] || echo ", O/VTK <= 0.5")" "$result"
    done
  done
}

# Smoothed edges (the default of orvelle-render, four samples a pixel) against none, MonoView, the
# two taking turns in the same rounds.
declare -A smooth_o
smooth_case() {  # scene, rounds
  local c=$1 n=$2 round samples figure file=$out/${case_file[1x-$1]} runs=()
  for ((round = 0; round < n; round++)); do
    for samples in 1 4; do
      figure=$(frame_time "$render" --antialias "$samples" --frames "$frames" --size "$size" --display "$c" \
        --segments 8 --view mono --angles "$angles" --no-file-name --output "$out/orvelle-$c-antialias$samples.png" "$file")
      runs+=("$samples $figure")
    done
  done
  for samples in 1 4; do
    smooth_o[$c-$samples]=$(printf '%s\n' "${runs[@]}" | sed -n "s/^$samples //p" | least)
  done
  printf '%-26s %-15s Orvelle %10s ms against %10s ms unsmoothed   (rounds: %s)\n' "${case_name[1x-$c]}" "antialias 4" \
    "${smooth_o[$c-4]}" "${smooth_o[$c-1]}" "$(printf '%s\n' "${runs[@]}" | tr '\n' ' ' | sed 's/ $//')"
}

# The rows of smoothed edges: at most 2.5 times the unsmoothed frame.
smooth_rows() {
  local c cost
  for c in points filled joined; do
    cost=$(ratio "${smooth_o[$c-4]}" "${smooth_o[$c-1]}")
    printf '%-36s %8s ms %11s %8s   %-34s %s\n' "${case_name[1x-$c]}, mono, antialias 4" "${smooth_o[$c-4]}" "-" "-" \
      "antialias 4/1 $cost <= 2.5" "$(goal "$cost" '<=' 2.5)"
  done
}

if [ "$with_vtk" = 1 ]; then
  against="Orvelle against VTK $("$python" -c 'from vtkmodules.vtkCommonCore import vtkVersion; print(vtkVersion.GetVTKVersion())')"
else
  against="Orvelle alone (BENCH_VTK=0)"
fi
echo "$against, ${size}, median of $frames frames after VTK's warm-up frame, least of $([ -n "${size_on[1x]:-}" ] && echo "$rounds" || echo "$rounds_10x") rounds"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'); load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# --- 1x ------------------------------------------------------------------------------------------
if [ -n "${size_on[1x]:-}" ]; then
  for c in "${scenes[@]}"; do
    scene_case 1x "$c" "$rounds"
  done
  wants 1x first && first_picture 1x

  if wants 1x lines; then
    big_joined=$(frame_time "$render" "${unsmoothed[@]}" --frames "$big_joined_frames" --size "$size" --display joined --segments 8 \
      --view mono --angles "$angles" --no-file-name --output "$out/orvelle-joined-1e6.png" "$out/points.dat")
    # A timed-out run still bounds the rate: fewer than FRAMES frames in the time allowed.
    big_fps=$(awk -v ms="$big_joined" -v n="$big_joined_frames" -v l="$limit" 'BEGIN {
      if (ms ~ /^[0-9.]+$/ && ms > 0) printf "%.2f", 1000 / ms
      else if (ms == "timeout") printf "<%.3f", n / l
      else print ms }')
    echo "10^6 points as joined line sets: Orvelle $big_joined ms a frame ($big_fps frames a second)"
  fi
  if wants 1x stereo; then
    for c in points filled joined; do
      stereo_case "$c" "$rounds"
    done
  fi
  if wants 1x smooth; then
    for c in points filled joined; do
      smooth_case "$c" "$rounds"
    done
  fi
  if wants 1x viewer; then
    # A viewer without a figure says why on its line; the rest of the run goes on.
    viewer_fps=$("$here/viewer_rate.sh" "$build/orvelle" "$out/points.dat" 10) || true
    echo "10^6 points as joined line sets in the viewer (800x600 window): $viewer_fps"
    viewer_fps=$(sed -n 's/^frames-per-second: //p' <<< "$viewer_fps" | grep . || echo failed)
  fi

  # Peak resident memory with 10^6 points loaded and drawn (the first frame and one more) in each
  # display type, against 100 MB plus three times the data set's own 24 bytes a point.
  memory_types=(points joined needled grid filled)
  memory_limit=$(awk 'BEGIN { printf "%.0f", 100 + 3 * 24 }')
  declare -A memory
  if wants 1x memory; then
    for d in "${memory_types[@]}"; do
      status=0
      output=$(timeout "$limit" "$render" "${unsmoothed[@]}" --frames 1 --size "$size" --display "$d" --segments 8 --view anaglyph \
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
fi

# --- 10x -----------------------------------------------------------------------------------------
# The memory bound of a data file: 100 MB plus three times the data's size, taken as the points' own
# 24 bytes each (x, y, z as doubles), as at 1x; not the file's bytes, which depend on how the numbers
# are written.
declare -A data_mb memory_bound
if [ -n "${size_on[10x]:-}" ]; then
  limit=$limit_10x
  echo "ten times the data: least of $rounds_10x rounds, at most $limit s a command; load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
  for c in "${scenes[@]}"; do
    scene_case 10x "$c" "$rounds_10x"
  done
  wants 10x first && first_picture 10x
  # The viewer at ten times the data: 10^7 points, as points and (the surface of as many
  # points) as the filled surface, a view turned key after key.
  declare -A viewer_10x
  if wants 10x viewer; then
    for c in points filled; do
      file=$out/${case_file[10x-$c]}
      [ "$c" = points ] || file=$out/${case_file[10x-filled]}
      viewer_10x[$c]=$("$here/viewer_rate.sh" "$build/orvelle" "$file" 10 "$c") || true
      echo "${case_name[10x-$c]} in the viewer as $c (800x600 window): ${viewer_10x[$c]}"
      viewer_10x[$c]=$(sed -n 's/^frames-per-second: //p' <<< "${viewer_10x[$c]}" | grep . || echo failed)
    done
  fi
  # The viewer while held keys turn the view (the lighter picture) and once they stop (the
  # full picture): 10^7 and 10^8 points, the surface and both kinds of 10^5 tubes, in MonoView
  # and the colour anaglyph.
  motion_cases=(points points100 filled joined walks)
  declare -A motion_file=([points]=points-10x.dat [points100]=points-100x.dat [filled]=surface-10x.dat
    [joined]=segments-10x.dat [walks]=walks-10x.dat)
  declare -A motion_display=([points]=points [points100]=points [filled]=filled [joined]=joined [walks]=joined)
  declare -A motion_name=([points]="10^7 points" [points100]="10^8 points" [filled]="3162x3162 surface"
    [joined]="10^5 joined tubes" [walks]="10^5 walk tubes")
  declare -A motion_fps motion_full motion_after motion_peak
  if wants 10x motion; then
    for c in "${motion_cases[@]}"; do
      for view in mono color-anaglyph; do
        figures=$("$here/viewer_motion.sh" "$build/orvelle" "$out/${motion_file[$c]}" 10 "${motion_display[$c]}" "$view") ||
          true
        echo "${motion_name[$c]} in the viewer, $view, turned by held keys: $(tr '\n' ' ' <<< "$figures")"
        motion_fps[$c-$view]=$(sed -n 's/^frames-per-second: //p' <<< "$figures" | grep . || echo failed)
        motion_full[$c-$view]=$(sed -n 's/^full-frame-s: //p' <<< "$figures" | grep . || echo failed)
        motion_after[$c-$view]=$(sed -n 's/^full-picture-after-release-s: //p' <<< "$figures" | grep . || echo failed)
        motion_peak[$c-$view]=$(sed -n 's/^peak-memory-mb: //p' <<< "$figures" | grep . || echo failed)
      done
    done
  fi
  for c in "${scenes[@]}"; do
    file=$out/${case_file[10x-$c]}
    read -r sets points < "$file"
    data_mb[$c]=$(awk -v n=$((sets * points)) 'BEGIN { printf "%.1f", n * 24 / 1e6 }')
    memory_bound[$c]=$(awk -v n=$((sets * points)) 'BEGIN { printf "%.1f", 100 + 3 * n * 24 / 1e6 }')
    echo "memory bound, ${case_name[10x-$c]}: 100 MB + 3 x ${data_mb[$c]} MB ($((sets * points)) points of 24 bytes; the file holds $(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.1f", b / 1e6 }') MB) = ${memory_bound[$c]} MB"
  done
fi

# --- the table -----------------------------------------------------------------------------------
# The mono, anaglyph, StereoView and plain rows of the size's scenes.
scene_rows() {  # size, the goal for mono Orvelle/VTK, the goal for the tubes' mono Orvelle/VTK
  local s=$1 most=$2 c mono_ratio stereo_cost view
  for c in "${scenes[@]}"; do
    local goal_here=$most
    [ "$c" != joined ] || goal_here=$3
    [ "$c" != walks ] || goal_here=0.3  # the tubes that hide little, at either size
    mono_ratio=$(ratio "${orvelle[$s-$c-mono]}" "${vtk[$s-$c-mono]}")
    printf '%-36s %8s ms %8s ms %8s   %-34s %s\n' "${case_name[$s-$c]}, mono" "${orvelle[$s-$c-mono]}" \
      "${vtk[$s-$c-mono]}" "$mono_ratio" "O/VTK <= $goal_here" \
      "$(vtk_goal "${vtk[$s-$c-mono]}" "$mono_ratio" '<=' "$goal_here")"
    for view in anaglyph stereo; do
      stereo_cost=$(ratio "${orvelle[$s-$c-$view]}" "${orvelle[$s-$c-mono]}")
      printf '%-36s %8s ms %8s ms %8s   %-34s %s\n' "${case_name[$s-$c]}, ${view/stereo/StereoView}" \
        "${orvelle[$s-$c-$view]}" "${vtk[$s-$c-$view]}" "$(ratio "${orvelle[$s-$c-$view]}" "${vtk[$s-$c-$view]}")" \
        "Orvelle $view/mono $stereo_cost <= 1.3" "$(goal "$stereo_cost" '<=' 1.3)"
    done
    if [ "$plain_frames" -gt 0 ]; then
      printf '%-36s %8s ms %11s %8s   %-34s %s\n' "${case_name[$s-$c]}, mono, plain" "${plain[$s-$c]}" "-" "-" \
        "(the drawing for graphics cards)" "-"
    fi
  done
}

first_row() {  # size, the goal for Orvelle/VTK
  local first_ratio
  first_ratio=$(ratio "${first_orvelle[$1]}" "${first_vtk[$1]}")
  printf '%-36s %9s s %9s s %8s   %-34s %s\n' "first picture of ${case_name[$1-points]}" "${first_orvelle[$1]}" \
    "${first_vtk[$1]}" "$first_ratio" "O/VTK <= $2 (median of 3)" "$(vtk_goal "${first_vtk[$1]}" "$first_ratio" '<=' "$2")"
}

echo
printf '%-36s %11s %11s %8s   %-34s %s\n' "case (800x600)" "Orvelle" "VTK" "O/VTK" "goal" "result"
if [ -n "${size_on[1x]:-}" ]; then
  scene_rows 1x 0.5 0.3
  wants 1x first && first_row 1x 0.5
  if wants 1x lines; then
    printf '%-36s %8s ms %11s %8s   %-34s %s\n' "10^6 points as joined line sets" "$big_joined" "-" "-" \
      "$big_fps frames/s >= 5" "$(goal "$big_fps" '>=' 5)"
  fi
  if wants 1x viewer; then
    printf '%-36s %8s /s %11s %8s   %-34s %s\n' "same, frames/s in the viewer" "$viewer_fps" "-" "-" \
      "$viewer_fps frames/s >= 5" "$(goal "$viewer_fps" '>=' 5)"
  fi
  wants 1x stereo && stereo_rows
  wants 1x smooth && smooth_rows
  if wants 1x memory; then
    for d in "${memory_types[@]}"; do
      printf '%-36s %8s MB %11s %8s   %-34s %s\n' "peak memory, 10^6 points, $d" "${memory[$d]}" "-" "-" \
        "<= $memory_limit MB" "$(goal "${memory[$d]}" '<=' "$memory_limit")"
    done
  fi
fi
if [ -n "${size_on[10x]:-}" ]; then
  scene_rows 10x 0.2 0.2
  wants 10x first && first_row 10x 0.2
  if wants 10x viewer; then
    for c in points filled; do
      printf '%-36s %8s /s %11s %8s   %-34s %s\n' "${case_name[10x-points]} in the viewer as $c" "${viewer_10x[$c]}" \
        "-" "-" "${viewer_10x[$c]} frames/s >= 5" "$(goal "${viewer_10x[$c]}" '>=' 5)"
    done
  fi
  if wants 10x motion; then
    # At least 25 frames a second in MonoView, 20 with two eyes and for 10^8 points; the full
    # picture after the keys stop within its own frame's time and 0.1 s.
    for c in "${motion_cases[@]}"; do
      for view in mono color-anaglyph; do
        least=25
        [ "$view" = mono ] && [ "$c" != points100 ] || least=20
        printf '%-36s %8s /s %11s %8s   %-34s %s\n' "${motion_name[$c]}, moving, $view" "${motion_fps[$c-$view]}" \
          "-" "-" "frames/s >= $least" "$(goal "${motion_fps[$c-$view]}" '>=' "$least")"
        most=$(awk -v f="${motion_full[$c-$view]}" 'BEGIN { if (f ~ /^[0-9.]+$/) printf "%.2f", f + 0.1; else print "-" }')
        printf '%-36s %9s s %11s %8s   %-34s %s\n' "  full picture after release" "${motion_after[$c-$view]}" "-" "-" \
          "<= frame ${motion_full[$c-$view]} s + 0.1" "$(goal "${motion_after[$c-$view]}" '<=' "$most")"
      done
    done
    peak100=$(printf '%s\n' "${motion_peak[points100-mono]}" "${motion_peak[points100-color-anaglyph]}" | largest)
    printf '%-36s %8s MB %11s %8s   %-34s %s\n' "peak memory, 10^8 points, viewer" "$peak100" "-" "-" \
      "<= 3700 MB (100 + 36 a point)" "$(goal "$peak100" '<=' 3700)"
  fi
  declare -A memory_name=([points]="peak memory, 10^7 points" [filled]="peak memory, 3162x3162 surface"
    [joined]="peak memory, 10^5 joined tubes" [walks]="peak memory, 10^5 walk tubes")
  for c in "${scenes[@]}"; do
    printf '%-36s %8s MB %8s MB %8s   %-34s %s\n' "${memory_name[$c]}" "${orvelle_peak[10x-$c]}" \
      "${vtk_peak[10x-$c]}" "$(ratio "${orvelle_peak[10x-$c]}" "${vtk_peak[10x-$c]}")" \
      "<= ${memory_bound[$c]} MB (anaglyph)" "$(goal "${orvelle_peak[10x-$c]}" '<=' "${memory_bound[$c]}")"
  done
fi
echo
echo "pictures: $out/orvelle-*.png, first-orvelle*.png, first-vtk*.png; load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Median frame times of orvelle-render alone at 800x600 over sizes from 10^4 to 10^6 points, a
# quicker look than bench/run.sh (no VTK, no X server), with edges unsmoothed as there.
# Usage: tools/make_bench_data/run_bench.sh BUILD_DIR [FRAMES]   (BUILD_DIR with orvelle-render and make-bench-data built)
set -euo pipefail
build=$1
frames=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One height field serves every display type: points, line sets, needles and the surface.
"$build/tools/make_bench_data/make-bench-data" surface 100 100 "$work/p1e4.dat"
"$build/tools/make_bench_data/make-bench-data" surface 1000 100 "$work/p1e5.dat"
"$build/tools/make_bench_data/make-bench-data" surface 1000 1000 "$work/p1e6.dat"

# The smaller of two medians: the machine is shared, and other work only ever adds time.
run() {  # label, display, file, frames
  for view in mono anaglyph; do
    best=""
    for attempt in 1 2; do
      ms=$("$build/orvelle-render" --antialias 1 --display "$2" --view "$view" --frames "$4" --size 800x600 \
        --output "$work/out.png" "$3" | sed -n 's/^frames: .* median-ms: //p')
      best=$(awk -v a="$ms" -v b="$best" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }')
    done
    printf '%-18s %-9s %10s ms\n' "$1" "$view" "$best"
  done
}

echo "nproc: $(nproc); CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //');" \
  "load: $(cut -d' ' -f1-3 /proc/loadavg)"
run "10^4 points" points "$work/p1e4.dat" "$frames"
run "10^5 points" points "$work/p1e5.dat" "$frames"
run "10^6 points" points "$work/p1e6.dat" "$frames"
run "10^4 joined" joined "$work/p1e4.dat" "$frames"
run "10^5 joined" joined "$work/p1e5.dat" 3
run "10^4 needled" needled "$work/p1e4.dat" "$frames"
run "10^5 needled" needled "$work/p1e5.dat" 3
run "1000x1000 filled" filled "$work/p1e6.dat" 3
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

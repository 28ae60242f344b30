#!/usr/bin/env bash
# Draws the README's pictures of the samples with orvelle-render: each sample in the display
# types it suits, 320 x 240, into docs/pictures/. Usage: scripts/make_readme_pictures.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build}/orvelle-render
[ -x "$tool" ] || { echo "build orvelle-render first: $tool is missing" >&2; exit 1; }
samples=$root/samples
out=$root/docs/pictures
mkdir -p "$out"

# picture NAME SAMPLE OPTIONS...: one picture (of $size, 320x240 unless set; with the file name
# where $named is set); a sample whose reader orvelle-render does not know yet is left out with a
# line saying so.
picture() {
    local name=$1 sample=$2 name_option=(--no-file-name)
    shift 2
    [ -z "${named:-}" ] || name_option=()
    if "$tool" --size "${size:-320x240}" "${name_option[@]}" "$@" --output "$out/$name.png" "$samples/$sample" > /dev/null 2> "$out/.error"; then
        echo "docs/pictures/$name.png"
    else
        echo "left out $name: $(head -n 1 "$out/.error")"
        rm -f "$out/$name.png"
    fi
    rm -f "$out/.error"
}

picture curves-joined curves.dat --display joined --color-by group --angles 25,-35,0 --thickness 0.03
picture helices-joined helices.dat --display joined --color-by height --angles 60,0,0 --thickness 0.05
picture helices-needled helices.dat --display needled --angles 20,-30,0 --thickness 0.02
picture surface-filled surface.dat --display filled --angles 30,-30,0
picture surface-grid surface.dat --display grid --angles 30,-30,0
picture clusters-points clusters.cdat --format color --display points --thickness 0.04 --angles 20,30,0
picture shells-points shells.cdat --format color --display points --thickness 0.03 --angles 20,30,0
picture saddle-filled saddle.mpl --format maple --display filled --color-by height --colormap coolwarm \
    --angles -55,0,-30
picture ripple-filled ripple.mpl --format maple --display filled --color-by height --angles -55,0,-30
picture ripple-grid ripple.mpl --format maple --display grid --color-by height --colormap gray --angles -55,0,-30
picture ripple-anaglyph ripple.mpl --format maple --display filled --view anaglyph --angles -55,0,-30
# The figure of the README's section on figures: at print size, with the box of ticks and the
# file name; and one view at a screen's size and at 4K, whose type and lines keep their
# proportions (the README shows both at one width).
figure=(ripple.mpl --format maple --display filled --color-by height --angles -65,0,-20 --axes --axes-style box)
size=2400x1800 named=1 picture ripple-figure "${figure[@]}"
size=800x600 named=1 picture figure-800x600 "${figure[@]}"
size=3840x2160 named=1 picture figure-3840x2160 "${figure[@]}"
picture stations-joined stations.csv --format columns --display joined --thickness 0.03 --angles 20,30,0
picture heightmap-filled heightmap.txt --format matrix --display filled --color-by height --angles -55,0,-30

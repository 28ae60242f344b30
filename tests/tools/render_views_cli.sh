#!/usr/bin/env bash
# orvelle-render's views from the outside: a saved view draws the picture of the options it
# holds, a turntable writes its numbered pictures turning once, colour by height shows its
# bar, a bad view file is refused with its line.
set -uo pipefail

tool="$ORVELLE_BINARY_DIR/orvelle-render"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}

differing() {
  compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

printf 'GRID(0. .. 1.,0. .. 2.,Array(1..3,1..4,[[0.,.5,1.,.5],[1.,1.5,2.,1.],[0.,1.,0.,1.]]))\n' > hill.mpl

# A view file holds what the options would give: the same picture, byte for byte.
cat > hill.view <<'VIEW'
# written by hand
dataFormat = maple
displayType = grid
angles = 40,-30,0
scale = 0.8
thickness = 0.04
colorBy = height
colorMap = coolwarm
showAxes = 1
axesStyle = box
VIEW
"$tool" --view-file hill.view --size 240x180 --output viewed.png hill.mpl > /dev/null || fail "a view file renders"
"$tool" --format maple --display grid --angles 40,-30,0 --scale 0.8 --thickness 0.04 --color-by height \
  --colormap coolwarm --axes --axes-style box --eye-separation 1 --size 240x180 --output given.png hill.mpl \
  > /dev/null || fail "the same options render"
[ "$(differing viewed.png given.png)" = "0" ] || fail "the view file and the options differ by $(differing viewed.png given.png) pixels"
# An option after the view file changes what it set.
"$tool" --view-file hill.view --colormap gray --size 240x180 --output gray.png hill.mpl > /dev/null
[ "$(differing viewed.png gray.png)" -gt 100 ] || fail "--colormap after the view file changes nothing"

# A bad view file: usage error naming the file and line, no picture.
printf 'scale = 2\nbogus = 1\n' > bad.view
"$tool" --view-file bad.view --output bad.png hill.mpl > out.txt 2> err.txt
status=$?
[ "$status" -eq 2 ] || fail "a bad view file should exit 2, not $status"
grep -q "bad.view: line 2: no setting is called 'bogus'" err.txt || fail "the error names the line: $(cat err.txt)"
[ ! -e bad.png ] || fail "no picture for a bad view file"

# A turntable of four: numbered pictures, the first the unturned view, a half turn mirrors
# the quarter turns.
"$tool" --format maple --display filled --angles 30,0,0 --turntable 4 --size 160x120 --output spin.png hill.mpl \
  > out.txt || fail "a turntable renders"
[ "$(grep -c '^picture: spin-00[0-3].png$' out.txt)" -eq 4 ] || fail "four pictures are named: $(cat out.txt)"
"$tool" --format maple --display filled --angles 30,0,0 --size 160x120 --output still.png hill.mpl > /dev/null
[ "$(differing spin-000.png still.png)" = "0" ] || fail "the first picture of a turntable is the view itself"
for k in 1 2 3; do
  [ "$(png_size spin-00$k.png)" = "160x120" ] || fail "spin-00$k.png is $(png_size spin-00$k.png)"
  [ "$(differing spin-000.png spin-00$k.png)" -gt 200 ] || fail "picture $k of the turntable is not turned"
done
# A quarter turn about the vertical is the view with 90 degrees more about y when only x
# tilts first and nothing turns about z.
"$tool" --format maple --display filled --angles 0,90,0 --size 160x120 --output quarter.png hill.mpl > /dev/null
"$tool" --format maple --display filled --turntable 4 --size 160x120 --output flat.png hill.mpl > /dev/null
[ "$(differing flat-001.png quarter.png)" -le 30 ] || fail "the turntable turns about the vertical: $(differing flat-001.png quarter.png)"

# Colour by height puts a bar at the right; the two-material Anaglyph shows none.
"$tool" --format maple --display filled --color-by height --no-file-name --size 320x240 --output bar.png hill.mpl > /dev/null
"$tool" --format maple --display filled --no-file-name --size 320x240 --output nobar.png hill.mpl > /dev/null
right_bar=$(convert bar.png -crop 80x240+240+0 +repage -format '%[fx:mean]' info:)
right_plain=$(convert nobar.png -crop 80x240+240+0 +repage -format '%[fx:mean]' info:)
awk -v a="$right_bar" -v b="$right_plain" 'BEGIN { exit !(a < b - 0.02) }' || fail "no colour bar at the right ($right_bar vs $right_plain)"
"$tool" --format maple --display filled --color-by height --view anaglyph --size 320x240 --output a1.png hill.mpl > /dev/null
"$tool" --format maple --display filled --view anaglyph --size 320x240 --output a2.png hill.mpl > /dev/null
[ "$(differing a1.png a2.png)" = "0" ] || fail "Anaglyph keeps its eye colours"

# A picture that cannot be written says why.
"$tool" --output "$work/no/such/x.png" hill.mpl --format maple > /dev/null 2> err.txt
grep -q "could not write .*No such file or directory" err.txt || fail "the reason of a failed write: $(cat err.txt)"

[ "$failures" -eq 0 ] && echo "all orvelle-render view checks passed"
exit $((failures > 0))

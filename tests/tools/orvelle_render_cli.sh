#!/usr/bin/env bash
# orvelle-render from the outside: exit statuses, messages, picture sizes and layout.
set -uo pipefail

tool="$ORVELLE_BINARY_DIR/orvelle-render"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Width and height from the PNG header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}

# Mean brightness (0 to 1) of a part of a picture.
mean_of() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}

printf '2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n' > curves.dat
printf '1 3\n0 0 0 0\n1 2 0 1\n2 1 0 1\n' > groups.cdat
printf 'GRID(0. .. 1.,0. .. 2.,Array(1..2,1..3,[[0.,.5,1.],[1.,1.5,2.\\\n]]))\n' > hill.mpl

# Help and usage errors.
"$tool" --help > help.txt 2>&1 || fail "--help should exit 0"
grep -q -- '--view mono|anaglyph|stereo|side-by-side|top-bottom|interleaved|color-anaglyph' help.txt ||
  fail "--help lists --view"
grep -q -- '--anaglyph-method mask|gray|half-color|color|dubois' help.txt || fail "--help lists --anaglyph-method"
for option in --squeeze --swap-eyes "--desaturate F"; do
  grep -q -- "  $option " help.txt || fail "--help lists $option"
done
for args in "--view quad curves.dat" "--size 10 curves.dat" "--frobnicate curves.dat" "--segments 99 curves.dat" "" \
  "--anaglyph-method red curves.dat" "--desaturate 1.5 curves.dat"; do
  # shellcheck disable=SC2086
  "$tool" $args > out.txt 2> err.txt
  status=$?
  [ "$status" -eq 2 ] || fail "'$args' should exit 2, not $status"
  [ "$(wc -l < err.txt)" -ge 1 ] || fail "'$args' should say why on standard error"
done
"$tool" --view quad curves.dat 2> err.txt
grep -q -- "--view" err.txt || fail "the usage error names --view"
"$tool" --segments 99 curves.dat 2> err.txt
grep -q "99" err.txt || fail "the usage error names the value 99"

# A file that cannot be loaded: the reader's report, one clear line, status 1, no picture.
"$tool" --output none.png missing.dat > out.txt 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "a missing file should exit 1, not $status"
grep -q "File missing.dat does not exist" out.txt || fail "the reader reports the missing file"
grep -q "could not load missing.dat" err.txt || fail "the tool says it could not load the file"
[ ! -e none.png ] || fail "no picture for a file that was not loaded"

# A mono picture of the default size, named after the file, with the load report.
"$tool" curves.dat > out.txt 2> err.txt || fail "a plain file renders (status $?): $(cat err.txt)"
grep -q "^filename = curves.dat$" out.txt || fail "the load report is printed"
[ "$(png_size curves.png)" = "800x600" ] || fail "default picture is 800x600, not $(png_size curves.png)"
# White background, the top left corner empty, the file name in the bottom left tenth (in
# the pictures' type, 2.2% of the height, smoothed).
top=$(mean_of curves.png 200x40+0+0)
bottom=$(mean_of curves.png 200x40+80+500)
awk -v t="$top" -v b="$bottom" 'BEGIN { exit !(t == 1 && b < 0.985) }' ||
  fail "expected an empty top left ($top) and the file name at the bottom left ($bottom)"

# StereoView's pair: twice as wide; each half holds one eye.
"$tool" --view stereo --size 320x240 --output pair.png curves.dat > /dev/null ||
  fail "stereo renders"
[ "$(png_size pair.png)" = "640x240" ] || fail "stereo is 640x240, not $(png_size pair.png)"

# The modes of two eyes in one picture keep --size; the eyes are drawn alike, so the two
# halves of side by side differ only by the eyes' offset.
for view in side-by-side top-bottom interleaved color-anaglyph; do
  "$tool" --view "$view" --squeeze --swap-eyes --anaglyph-method gray --desaturate 0.3 --size 320x240 \
    --output "$view.png" curves.dat > /dev/null || fail "$view renders"
  [ "$(png_size "$view.png")" = "320x240" ] || fail "$view is 320x240, not $(png_size "$view.png")"
done
left=$(mean_of side-by-side.png 160x240+0+0)
right=$(mean_of side-by-side.png 160x240+160+0)
awk -v l="$left" -v r="$right" 'BEGIN { exit !(l < 0.995 && r < 0.995 && l - r < 0.01 && r - l < 0.01) }' ||
  fail "side-by-side shows the data in both halves alike ($left, $right)"

# Coloured and Maple files with their readers; anaglyph; frame timing.
"$tool" --format color --display points --view anaglyph --size 200x150 --output groups.png groups.cdat > /dev/null ||
  fail "a coloured file renders"
"$tool" --format maple --display filled --size 200x150 --output hill.png hill.mpl > /dev/null ||
  fail "a Maple file renders"
"$tool" --frames 3 --size 160x120 --output timed.png curves.dat > out.txt || fail "--frames renders"
grep -Eq '^frames: 3 median-ms: [0-9]+\.[0-9]+$' out.txt || fail "--frames prints its line: $(tail -1 out.txt)"
grep -Eq '^first-frame-ms: [0-9]+\.[0-9]+$' out.txt || fail "--frames times the first frame apart"
grep -Eq '^peak-memory-mb: [1-9][0-9]*\.[0-9]$' out.txt || fail "--frames reports the peak memory: $(grep peak out.txt)"

grep -Eq '^drawing: assisted$' out.txt || fail "--frames names the drawing, assisted on a software renderer"
"$tool" --frames 1 --drawing plain --size 160x120 --output timed.png curves.dat > out.txt || fail "--drawing plain renders"
grep -Eq '^drawing: plain$' out.txt || fail "--drawing plain is the drawing taken: $(grep drawing out.txt)"

# The immediate-mode reference draws what the kept arrays draw on either drawing, up to a
# few edge pixels.
for display in points joined needled grid filled; do
  "$tool" --reference --display "$display" --thickness 0.08 --angles 30,20,0 --size 200x150 \
    --output "ref-$display.png" curves.dat > /dev/null || fail "$display renders with --reference"
  for drawing in assisted plain; do
    "$tool" --drawing "$drawing" --display "$display" --thickness 0.08 --angles 30,20,0 --size 200x150 \
      --output "fast-$display.png" curves.dat > /dev/null || fail "$display renders ($drawing)"
    differing=$(compare -metric AE -fuzz 2% "fast-$display.png" "ref-$display.png" null: 2>&1)
    [ "${differing%%.*}" -le 60 ] 2>/dev/null ||
      fail "$display: $differing pixels differ between the $drawing drawing and the reference"
  done
done
"$tool" --drawing gpu curves.dat > /dev/null 2> err.txt
[ $? -eq 2 ] && grep -q -- "--drawing" err.txt || fail "an unknown drawing is a usage error naming --drawing"
# Filled tubes rasterised on the processor, or their visible triangles left to the renderer;
# the smoothed picture (the default) keeps the triangles' smoothed edges either way.
for tubes in pixels triangles; do
  "$tool" --tubes "$tubes" --display joined --thickness 0.08 --angles 30,20,0 --size 200x150 \
    --output "tubes-$tubes.png" curves.dat > /dev/null || fail "joined tubes render as $tubes"
  differing=$(compare -metric AE -fuzz 2% "tubes-$tubes.png" ref-joined.png null: 2>&1)
  [ "${differing%%.*}" -le 60 ] 2>/dev/null || fail "tubes as $tubes: $differing pixels differ from the reference"
done
"$tool" --tubes quads curves.dat > /dev/null 2> err.txt
[ $? -eq 2 ] && grep -q -- "--tubes" err.txt || fail "an unknown way of drawing tubes is a usage error naming --tubes"

# A picture that cannot be written.
"$tool" --output "$work/no/such/folder/x.png" curves.dat > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "an unwritable picture should exit 1, not $status"
grep -q "could not write" err.txt || fail "the tool says it could not write the picture"

grep -q "could not write $work/no/such/folder/x.png: No such file or directory" err.txt ||
  fail "the tool says why the picture could not be written: $(cat err.txt)"

# A full device: status 1, the reason, and the device left as it is (never replaced by a
# renamed temporary, which root could do in /dev).
"$tool" --output /dev/full curves.dat > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "writing to /dev/full should exit 1, not $status"
grep -q "could not write /dev/full: No space left on device" err.txt || fail "/dev/full: $(cat err.txt)"
[ -c /dev/full ] || fail "/dev/full is no longer a device"

# A file that cannot be written whole (a file size limit of 1 KB, its signal ignored so the
# write fails instead): status 1, the earlier picture untouched, no temporary left behind.
"$tool" --size 100x80 --output kept.png curves.dat > /dev/null || fail "a small picture renders"
cp kept.png kept-before.png
(trap '' XFSZ; ulimit -f 1; exec "$tool" --size 400x300 --axes --output kept.png curves.dat) > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "a write beyond the file size limit should exit 1, not $status"
cmp -s kept.png kept-before.png || fail "a failed write changed the picture that was there"
leftovers=$(find . -name '.*tmp' | wc -l)
[ "$leftovers" -eq 0 ] || fail "a failed write left $leftovers temporary files"

# A reader of the report that goes away early does not stop the picture.
rm -f piped.png
"$tool" --output piped.png curves.dat | head -c1 > /dev/null
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || fail "| head -c1: status $status (killed by SIGPIPE?)"
[ "$(png_size piped.png)" = "800x600" ] || fail "| head -c1: no whole picture written"

# A data file that ends in .png is never written over, by the default name or by --output.
cp curves.dat curves-data.png
"$tool" --size 100x80 curves-data.png > out.txt 2> err.txt || fail "a data file named .png renders: $(cat err.txt)"
grep -q "^picture: curves-data-render.png$" out.txt || fail "default name of a .png input: $(cat out.txt)"
cmp -s curves-data.png curves.dat || fail "the .png data file was overwritten"
"$tool" --size 100x80 --output "$work/curves-data.png" curves-data.png > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "--output naming the data file should exit 1, not $status"
grep -q "it is the data file" err.txt || fail "the tool says the output is its input: $(cat err.txt)"
cmp -s curves-data.png curves.dat || fail "--output overwrote the data file"

# The reader is chosen from the file's first bytes, whatever the name; --format names one.
cp hill.mpl hill.txt
"$tool" --display filled --size 120x90 --output auto-hill.png hill.txt > out.txt 2>&1 ||
  fail "a Maple file named .txt renders without --format: $(cat out.txt)"
"$tool" --format maple --display filled --size 120x90 --output named-hill.png hill.mpl > /dev/null ||
  fail "the same file with --format maple"
cmp -s auto-hill.png named-hill.png ||
  [ "$(compare -metric AE auto-hill.png named-hill.png null: 2>&1 | cut -d' ' -f1)" -le 200 ] ||
  fail "the detected reader draws another picture than --format maple (beyond the file name)"
printf 'id;x;y;z\n1;0;0;0\n2;1;1;0\n3;2;4;1\n' > table.csv
"$tool" --columns x,y,z --display points --size 120x90 --output table.png table.csv > out.txt 2>&1 ||
  fail "--columns names the columns of a table: $(cat out.txt)"
"$tool" --columns x,y,nope --size 120x90 --output nope.png table.csv > out.txt 2>&1
[ $? -eq 1 ] || fail "a column that the table lacks is a failed load"
"$tool" --columns x,y --size 120x90 table.csv > /dev/null 2> err.txt
[ $? -eq 2 ] || fail "--columns with two names is a usage error"

[ "$failures" -eq 0 ] && echo "all orvelle-render checks passed"
exit $((failures > 0))

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
grep -q -- '--view mono|anaglyph|side-by-side' help.txt || fail "--help lists --view"
for args in "--view stereo curves.dat" "--size 10 curves.dat" "--frobnicate curves.dat" "--segments 99 curves.dat" ""; do
  # shellcheck disable=SC2086
  "$tool" $args > out.txt 2> err.txt
  status=$?
  [ "$status" -eq 2 ] || fail "'$args' should exit 2, not $status"
  [ "$(wc -l < err.txt)" -ge 1 ] || fail "'$args' should say why on standard error"
done
"$tool" --view stereo curves.dat 2> err.txt
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
# White background, the top left corner empty, the file name in the bottom left tenth.
top=$(mean_of curves.png 200x40+0+0)
bottom=$(mean_of curves.png 200x40+80+500)
awk -v t="$top" -v b="$bottom" 'BEGIN { exit !(t == 1 && b < 0.97) }' ||
  fail "expected an empty top left ($top) and the file name at the bottom left ($bottom)"

# Side by side: twice as wide; each half holds one eye.
"$tool" --view side-by-side --size 320x240 --output pair.png curves.dat > /dev/null ||
  fail "side-by-side renders"
[ "$(png_size pair.png)" = "640x240" ] || fail "side-by-side is 640x240, not $(png_size pair.png)"

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

# A picture that cannot be written.
"$tool" --output "$work/no/such/folder/x.png" curves.dat > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "an unwritable picture should exit 1, not $status"
grep -q "could not write" err.txt || fail "the tool says it could not write the picture"

[ "$failures" -eq 0 ] && echo "all orvelle-render checks passed"
exit $((failures > 0))

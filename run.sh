#!/usr/bin/env bash
# Installs what is missing, builds the two programs (Release, without the tests) in
# build-release, and starts the viewer on the bundled samples.
#   ./run.sh            build and start
#   ./run.sh --install  build, install into /usr/local (cmake --install), and start
set -euo pipefail
cd "$(dirname "$0")"

install=0
case ${1:-} in
"") ;;
--install) install=1 ;;
*)
  echo "usage: ./run.sh [--install]" >&2
  exit 2
  ;;
esac

scripts/install_deps.sh run
# The folder chooser is large and the build does not need it: it is installed meanwhile.
scripts/install_deps.sh chooser > build-release.chooser.log 2>&1 &
chooser=$!
targets=(orvelle orvelle-render)
# An installation holds the manual pages and completions too, written from the programs.
[ "$install" -eq 1 ] && targets=(docs)
build_status=0
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF --target "${targets[@]}" || build_status=$?
chooser_status=0
wait "$chooser" || chooser_status=$?
[ "$build_status" -eq 0 ] || exit "$build_status"
if [ "$chooser_status" -ne 0 ]; then
  echo "zenity, the folder chooser, could not be installed (build-release.chooser.log);" \
    "the panel's \"Browse for folder\" says so, and \"Folder:\" still takes a folder typed in."
fi

if [ "$install" -eq 1 ]; then
  cmake --install build-release --prefix /usr/local
  echo "Installed: /usr/local/bin/orvelle and orvelle-render, their manual pages and completions," \
    "the samples in /usr/local/share/orvelle/samples and the desktop entry."
fi

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  out=$(pwd)/build-release/sample-pictures
  echo "No display is reachable (DISPLAY='${DISPLAY:-}'), so the viewer cannot open its windows; rendering the samples into $out instead."
  mkdir -p "$out"
  failed=0
  for f in samples/*; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    # The reader is found from each file's first bytes; only the look is chosen by its kind.
    case "$name" in
      *.mpl | heightmap.*) display=filled; angles=-60,0,30 ;;
      *.cdat) display=points; angles=20,-35,0 ;;
      *.csv) display=joined; angles=70,0,20 ;;
      *) display=joined; angles=20,-35,0 ;;
    esac
    for view in mono anaglyph; do
      build-release/orvelle-render --display "$display" --view "$view" --angles "$angles" \
        --output "$out/${name%.*}-$view.png" "$f" > /dev/null || { echo "could not render $f ($view)"; failed=1; }
    done
  done
  echo "Pictures of the samples: $out"
  # The pictures are what was asked for without a display: only a missing one is a failure.
  exit "$failed"
fi

cd samples
exec ../build-release/orvelle

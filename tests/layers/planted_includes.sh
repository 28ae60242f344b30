#!/usr/bin/env bash
# The layer check itself: on a small tree it passes what points down and fails each kind of
# include that points up or sideways, and each graphics header below render/gl.
set -u
check="$(cd "$(dirname "$0")" && pwd)/check_layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{core,io,render/cpu,render/gl,glui,panel,app,tools/x}
plant() { printf '#include %s\n' "$2" > "$tree/$1"; }
clean() {
  rm -f "$tree"/*/*.cpp "$tree"/render/*/*.cpp "$tree"/tools/x/*.cpp
  plant core/a.cpp '"core/b.h"'
  plant io/a.cpp '"core/b.h"'
  plant render/cpu/a.cpp '"core/b.h"'
  plant render/gl/a.cpp '<GL/gl.h>'
  plant panel/a.cpp '"glui/glui.h"'
  plant app/a.cpp '"panel/p.h"'
  plant tools/x/a.cpp '"render/gl/frame.h"'
}
failures=0
expect() { # expect STATUS WHAT
  bash "$check" "$tree" > "$tree.out" 2>&1
  local got=$?
  if [ "$got" -ne "$1" ]; then
    echo "FAIL: $2: exit $got, expected $1"; cat "$tree.out"; failures=$((failures + 1))
  fi
}
clean
expect 0 "a tree whose includes all point down"
for planted in 'core/a.cpp|"app/viewer_state.h"' 'core/a.cpp|"io/b.h"' 'io/a.cpp|"render/gl/frame.h"' \
               'render/cpu/a.cpp|"render/gl/frame.h"' 'render/cpu/a.cpp|<GL/gl.h>' 'io/a.cpp|<EGL/egl.h>' \
               'render/gl/a.cpp|"glui/glui.h"' 'glui/a.cpp|"core/settings.h"' 'panel/a.cpp|"app/viewer_state.h"' \
               'panel/a.cpp|"io/b.h"' 'tools/x/a.cpp|"panel/p.h"' 'tools/x/a.cpp|"app/x.h"'; do
  clean
  plant "${planted%%|*}" "${planted#*|}"
  expect 1 "${planted}"
done
rm -f "$tree.out"
[ "$failures" -eq 0 ] && echo "every planted include was caught"
exit $((failures > 0))

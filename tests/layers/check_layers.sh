#!/usr/bin/env bash
# Fails on any include that points up or sideways in the layers:
#   core <- io <- render/cpu <- render/gl <- glui <- panel <- app;  tools use io, render, core.
# Each folder may include its own headers and those of the folders listed for it; core, io and
# render/cpu may include no OpenGL, EGL or GLUT header. Usage: check_layers.sh [SOURCE_ROOT]
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 1

# folder | project folders it may include | whether it may include graphics headers
rules=(
  "core|core|no"
  "io|core io|no"
  "render/cpu|core render/cpu|no"
  "render/gl|core render/cpu render/gl|yes"
  "glui|glui|yes"
  "panel|core glui panel|yes"
  "app|core io render/cpu render/gl glui panel app|yes"
  "tools|core io render/cpu render/gl tools|yes"
)
projectFolders="core io render glui panel app tools"

status=0
for rule in "${rules[@]}"; do
  IFS='|' read -r folder allowed graphics <<< "$rule"
  [ -d "$folder" ] || continue
  while IFS= read -r file; do
    while IFS= read -r line; do
      number=${line%%:*}
      text=${line#*:}
      if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
        target=${BASH_REMATCH[1]}
        top=${target%%/*}
        # Only project headers named from the root are ruled; "render_options.h" beside its
        # file is the file's own folder.
        [[ " $projectFolders " == *" $top "* ]] || continue
        ok=no
        for a in $allowed; do
          [[ $target == "$a/"* ]] && ok=yes
        done
        if [ $ok = no ]; then
          echo "$file:$number: $folder may not include \"$target\""
          status=1
        fi
      elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<((GL|EGL|GLES[0-9]*)/[^\>]*)\> ]]; then
        if [ "$graphics" = no ]; then
          echo "$file:$number: $folder may not include <${BASH_REMATCH[1]}>"
          status=1
        fi
      fi
    done < <(grep -n '#[[:space:]]*include' "$file")
  done < <(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
done
if [ $status -eq 0 ]; then
  echo "every include points down the layers"
fi
exit $status

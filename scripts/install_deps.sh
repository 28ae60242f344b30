#!/usr/bin/env bash
# Installs, from Debian's packages, whatever Orvelle needs and is not installed yet.
#   scripts/install_deps.sh run       what building the two programs and running them need
#   scripts/install_deps.sh chooser   the folder chooser of the viewer's panel (zenity: large)
#   scripts/install_deps.sh build     that of run, and what building and running the tests,
#                                     the fuzzers, the manual pages and the package need
#   scripts/install_deps.sh build PACKAGE...   that of build, and these besides
set -euo pipefail

purpose=${1:-build}
# Building the programs, and what they load or read at run time without linking it: Mesa's
# drivers, the font of the pictures' text, zlib for compressed data.
packages=(
  cmake ninja-build g++ pkg-config x11-utils
  freeglut3-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libimgui-dev libstb-dev libfast-float-dev zlib1g-dev fonts-dejavu-core
)
case $purpose in
run) ;;
chooser) packages=(zenity) ;;
build)
  packages+=(
    libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev lld-14
    xvfb xdotool imagemagick
    man-db bsdextrautils desktop-file-utils shared-mime-info dpkg-dev file
  )
  packages+=("${@:2}")
  ;;
*)
  echo "usage: scripts/install_deps.sh run|chooser|build [PACKAGE...]" >&2
  exit 2
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run as root, or install them with apt-get." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The package lists are read again unless they were within the hour (a second call of this
# script, as run.sh makes, need not wait for them).
if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -mmin -60 2>/dev/null | head -n 1)" ]; then
  apt-get update -qq
fi
apt-get install -y -qq --no-install-recommends "${missing[@]}"

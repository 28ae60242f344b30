#!/usr/bin/env bash
# Installs, from Debian's packages, whatever Orvelle needs and is not installed yet.
#   scripts/install_deps.sh build   what building and testing need
#   scripts/install_deps.sh run     that, and a folder chooser for the viewer
#   scripts/install_deps.sh build PACKAGE...   what building needs, and these besides
set -euo pipefail

purpose=${1:-build}
packages=(
  cmake g++ make pkg-config
  libgtest-dev libbenchmark-dev
  freeglut3-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libimgui-dev libstb-dev libfast-float-dev
  zlib1g-dev
  xvfb xdotool imagemagick x11-utils
)
if [ "$purpose" = run ]; then
  packages+=(zenity)
fi
packages+=("${@:2}")

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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"

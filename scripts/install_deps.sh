#!/usr/bin/env bash
# Installs the Debian 12 packages Sky Rings needs, when any is missing.
#   install_deps.sh play   what building and playing needs
#   install_deps.sh test   that, and what the tests need (virtual display, screenshots, fuzzing,
#                          checks of the desktop files)
#   install_deps.sh package   what building the Debian package needs
set -euo pipefail

play_packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libgl-dev libopengl-dev libegl-dev libx11-dev
  libgl1-mesa-dri libglx-mesa0 libegl-mesa0
  timgm6mb-soundfont fonts-ipafont-gothic fonts-dejavu-core
)
test_packages=(
  libgtest-dev xvfb xauth xdotool imagemagick clang-format x11-utils time procps openbox weston
  clang-14 libclang-rt-14-dev
  desktop-file-utils appstream man-db zlib1g-dev
)
package_packages=(
  dpkg-dev file
)

packages=("${play_packages[@]}")
case "${1:-play}" in
  play) ;;
  test) packages+=("${test_packages[@]}") ;;
  package) packages+=("${package_packages[@]}") ;;
  *) echo "usage: $0 [play|test|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages Tessary needs that are not there yet.
#   scripts/install-deps.sh play   what building and playing needs
#   scripts/install-deps.sh test   that, and what the tests and benchmarks need
set -euo pipefail

packages=(cmake make g++ pkg-config
          libsdl2-dev libx11-dev libepoxy-dev libgl1-mesa-dri libopenal-dev libpng-dev zlib1g-dev
          libvorbis-dev libogg-dev libfreetype-dev libwayland-dev fonts-vlgothic)
if [[ "${1:-play}" == test ]]; then
    packages+=(googletest libgtest-dev libbenchmark-dev
               xvfb xauth xdotool x11-utils imagemagick xfonts-base sox faketime procps
               libxtst-dev
               lintian desktop-file-utils appstream dpkg-dev file
               sway wtype grim
               jq wmctrl dbus openbox xfwm4 zenity
               mutter xwayland pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools
               gstreamer1.0-plugins-good libdecor-0-plugin-1-cairo python3-gi
               kwin-wayland kwin-style-breeze plasma-wayland-protocols python3-dbus)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"

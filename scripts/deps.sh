#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libx11-dev libxtst-dev libxdamage-dev libwayland-dev wayland-protocols
  libmpg123-dev libmp3lame-dev
  libfreetype-dev zlib1g-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  pulseaudio pulseaudio-utils
  xvfb xauth xdotool imagemagick python3 openbox x11-utils weston libdecor-0-plugin-1-cairo
  desktop-file-utils appstream lintian dpkg-dev file fakeroot
  x11-xkb-utils
  gettext po4a
  tesseract-ocr tesseract-ocr-deu tesseract-ocr-fra tesseract-ocr-pol
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

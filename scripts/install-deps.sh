#!/usr/bin/env bash
# Installs the Debian packages Stampora needs to build and test, only when
# something is missing.
set -euo pipefail

packages=(
  cmake g++ make pkgconf
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs libpng-dev libgif-dev libtiff-dev libexiv2-dev
  libfontconfig-dev libharfbuzz-dev libfreetype-dev fonts-dejavu-core fonts-droid-fallback
  clang libclang-rt-14-dev clang-format
  qt6-base-dev xvfb xauth
  libimage-exiftool-perl
  xdotool
  libfribidi-dev
  fonts-noto-color-emoji
  imagemagick
  libtiff-tools
  libwebp-dev
  webp
  libheif-dev
  libheif-examples
  libavif-bin
  libjxl-dev
  libjxl-tools
  appstream
  poppler-utils
)
if [ "${STAMPORA_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$STAMPORA_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
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

#!/usr/bin/env bash
# Installs every Debian package Glimra needs to build, test and run.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential g++ cmake ninja-build ccache pkg-config git
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev llvm-14
  # libraries
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev
  libpolyclipping-dev
  libfreetype-dev libftgl-dev libfontconfig-dev libcurl4-openssl-dev uuid-dev nlohmann-json3-dev
  # OpenGL through glvnd, Mesa drivers
  libegl-dev libgl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri libglx-mesa0
  # Qt 6 widgets, OpenGL, printing and SVG (toolbar pictograms, the program icon)
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev
  # held keys reported as repeated presses under an X server (XKB); input that waits
  # while a frame is drawn (the input extension's raw events, the pointer's window)
  libx11-dev libxi-dev libxcb1-dev
  # presses and releases a test makes on a virtual X server
  libxtst-dev
  # the desktop's MIME and application databases the file association updates
  shared-mime-info desktop-file-utils
  # fonts and an X server for interactive checks, with the window manager the benchmarks
  # under X run beside the program
  fonts-dejavu-core xvfb xauth xdotool openbox
  # tools that make and check test pictures
  imagemagick netpbm libimage-exiftool-perl
  # rasterises printed PDF sheets for the printing tests
  poppler-utils
  # locales for the decimal-separator tests
  locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A German locale lets the tests check a comma decimal separator.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
fi
echo "setup: all packages present"

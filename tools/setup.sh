#!/usr/bin/env bash
# Installs what the project builds and tests with, from Debian 12's packages.
# Quick when everything is already there: apt-get runs only for missing packages.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev libgl-dev
  fonts-ipaexfont fonts-ipafont-gothic fonts-ipafont-mincho fontconfig
  libcurl4-openssl-dev libgif-dev python3-pyftpdlib
  qt6-translations-l10n
  xvfb xauth openbox x11-utils xdg-utils poppler-utils shared-mime-info desktop-file-utils libglib2.0-bin libxcb1-dev
  clang libclang-rt-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

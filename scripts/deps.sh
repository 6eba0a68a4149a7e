#!/usr/bin/env bash
# Installs the Debian packages this project needs, and nothing when all are there.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev qt6-serialport-dev
          qt6-connectivity-dev qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev zlib1g-dev libgtest-dev libgmock-dev
          python3-openpyxl clang libfuzzer-14-dev xvfb x11-utils imagemagick fonts-dejavu-core fonts-crosextra-carlito
          desktop-file-utils appstream dpkg-dev file man-db qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

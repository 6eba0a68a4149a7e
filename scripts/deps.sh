#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages this project needs, and nothing when all are there.
# usage: scripts/deps.sh [--runtime | --package]
#   --runtime  what building and running the programs needs
#   --package  that and the tools scripts/package-deb.sh uses
#   (none)     everything, for the tests, the fuzzers and the screenshots too
set -euo pipefail
runtime=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev qt6-serialport-dev
         qt6-connectivity-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libxlsxwriter-dev zlib1g-dev
         fonts-crosextra-carlito qt6-translations-l10n libqt6svg6)
package=(dpkg-dev file)
developer=(libgtest-dev libgmock-dev python3-openpyxl clang libfuzzer-14-dev xvfb x11-utils xdotool
           imagemagick fonts-dejavu-core desktop-file-utils appstream man-db lintian)
case "${1:-}" in
  --runtime) packages=("${runtime[@]}") ;;
  --package) packages=("${runtime[@]}" "${package[@]}") ;;
  '') packages=("${runtime[@]}" "${package[@]}" "${developer[@]}") ;;
  *) echo "usage: $0 [--runtime | --package]" >&2; exit 2 ;;
esac
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

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: scripts/package-deb.sh [OUT_DIR]
# Makes an optimised build without tests and packs it into a .deb (default OUT_DIR: build/package/out).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/package/out}")
scripts/deps.sh --package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debian's hardening flags (stack protector, fortified functions, read-only relocations).
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRLC_BUILD_TESTS=OFF \
      -DRLC_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" \
      "${launcher[@]}" >/dev/null
cmake --build build/package
(cd build/package && cpack -G DEB -B "$out" >/dev/null)
ls "$out"/*.deb

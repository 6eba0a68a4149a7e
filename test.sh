#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything with sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
# ccache, when present, makes rebuilds after a branch switch cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRLC_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build build/test
cd build/test
ctest --output-on-failure -j "$(nproc)" "$@"

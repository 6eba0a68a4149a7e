#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds (incrementally) and starts the application.
# ./run.sh --demo starts it with the simulated meter.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh --runtime
# ccache, when present, makes rebuilds after a branch switch cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRLC_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build/app
exec build/app/src/app/rlc-logger "$@"

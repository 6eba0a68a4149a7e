#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes one harness of tests/fuzz with libFuzzer for a while.
#
#   scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]
#
# TARGET is a harness name (chunk, frames, ...; fuzz_<name>.cpp). The harness is
# built with clang into build/fuzz, runs on a copy of its seed corpus (the seeds
# in the repository stay as they are) and stops after SECONDS or at the first
# crash. Inputs that crash are saved in build/fuzz/findings/TARGET/; replay one
# with `build/fuzz/tests/fuzz/fuzz_TARGET FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]" >&2
  echo "targets: $(ls tests/fuzz/fuzz_*.cpp | sed 's|.*/fuzz_||; s|\.cpp$||' | tr '\n' ' ')" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
if [ ! -f "tests/fuzz/fuzz_$target.cpp" ]; then
  echo "scripts/fuzz.sh: no harness tests/fuzz/fuzz_$target.cpp" >&2
  exit 2
fi
case $seconds in
  '' | *[!0-9]*)
    echo "scripts/fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2
    exit 2
    ;;
esac

scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DRLC_FUZZ=ON -DRLC_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
ninja -C "$build" -j 2 "fuzz_$target"

work=$build/runs/$target
findings=$build/findings/$target
rm -rf "$work"
mkdir -p "$work/corpus" "$findings"
cp tests/fuzz/corpus/"$target"/* "$work/corpus/"

# One job in one worker: the machine is shared.
cd "$work"
"../../tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$PWD/../../findings/$target/" "$@" corpus

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures `rlc-meter stats`, `export` and `decode` against what a user would
# script instead (Python's csv and statistics, pandas, Gnumeric's ssconvert,
# openpyxl), runs in turns, and prints each median, peak memory and ratio.
#
#   bench/peers.sh [--before OLD_RLC_METER] [RLC_METER] [--rows N,N] [--rounds N] ...
#
# RLC_METER defaults to build/rel/src/cli/rlc-meter (a Release build); the
# options after it go to bench/peers/run.py (see its usage). The peers are
# installed from Debian when missing; one that cannot be installed is left out
# with a note. A Release build of bench_decode beside the tool adds the core's
# own frame rate to the decode figures.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

before=()
if [ "${1:-}" = "--before" ]; then
  before=(--before "$2")
  shift 2
fi
tool="$root/build/rel/src/cli/rlc-meter"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  tool=$1
  shift
fi
[ -x "$tool" ] || { echo "peers.sh: no rlc-meter at $tool (build a Release build first)" >&2; exit 2; }

missing=()
for p in python3 python3-openpyxl python3-pandas gnumeric; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo -n"
  echo "peers.sh: installing ${missing[*]}"
  if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
         --no-install-recommends "${missing[@]}"; } >/dev/null 2>&1; then
    echo "peers.sh: note: could not install ${missing[*]}; what is missing is left out"
  fi
fi
python=/usr/bin/python3
[ -x "$python" ] || python=$(command -v python3)

core=()
bench="$(dirname "$(dirname "$(dirname "$tool")")")/bench/bench_decode"
if [ -x "$bench" ]; then
  rate=$("$bench" 500 1 2>/dev/null | sed -n 's/^core decode + read-outs: \([0-9]*\) frames.*/\1/p')
  [ -n "$rate" ] && core=(--core-rate "$rate")
fi
exec "$python" "$here/peers/run.py" "$tool" "${before[@]}" "${core[@]}" "$@"

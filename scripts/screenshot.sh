#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: scripts/screenshot.sh OUT.png [--stats] [application arguments]
# Builds the application, starts it on a virtual display and saves a PNG of its window.
# --stats: a demo run that records for a while (--demo --record --statistics) with the
# statistics window open over the main window; the shot is the whole screen.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUT.png [--stats] [app args]" >&2; exit 2; }
out=$(realpath -m "$1"); shift
stats=""
if [ "${1:-}" = "--stats" ]; then
  stats=1
  shift
  set -- --demo --record --statistics "$@"
fi
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRLC_BUILD_TESTS=OFF >/dev/null
cmake --build build/app >/dev/null

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
said=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  [ -n "$said" ] && rm -f "$said"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
said=$(mktemp)
build/app/src/app/rlc-logger --report-readings "$@" >"$said" &
app=$!
id=""
for _ in $(seq 100); do
  id=$(xwininfo -root -tree 2>/dev/null | grep -m1 -E 'Регистратор|RLC meters' | awk '{print $1}') || true
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "the window did not appear" >&2; exit 1; }
# Wait until the window shows readings (with --demo a few seconds), or give up
# after SCREENSHOT_TIMEOUT seconds and take the window as it is.
for _ in $(seq $((${SCREENSHOT_TIMEOUT:-15} * 10))); do
  grep -q "readings shown" "$said" && break
  kill -0 "$app" 2>/dev/null || { echo "the application ended" >&2; exit 1; }
  sleep 0.1
done
grep -q "readings shown" "$said" || echo "no readings after ${SCREENSHOT_TIMEOUT:-15} s; capturing anyway" >&2
if [ -n "$stats" ]; then
  sleep "${SCREENSHOT_DELAY:-25}"  # about 25 rows at the meter's 1 s rate
  /usr/bin/import -window root "$out"
else
  sleep 0.3  # the frame that brought them is painted
  /usr/bin/import -window "$id" "$out"
fi
echo "$out"

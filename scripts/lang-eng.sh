#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes lang/eng.lng (UTF-16 with its mark) from the UTF-8 source lang/eng.txt,
# in the window's order. Further sources (say, another branch's eng.lng) may be
# given; the first file that has a text gives it. Needs a built rlc-meter
# (RLC_METER, or build/dev). Stops without writing when a text is missing.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${RLC_METER:-$root/build/dev/src/cli/rlc-meter}
tmp="$root/lang/eng.lng.new"
if "$tool" lang-merge "$root/lang/eng.txt" "$@" > "$tmp"; then
    mv "$tmp" "$root/lang/eng.lng"
else
    rm -f "$tmp"
    exit 1
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed window program, started from a folder with no language files
# in it, finds its own and shows readings of the simulated meter.
# usage: installed_window.sh PREFIX_DIR
set -u
prefix=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_DATA_HOME=$work/data  # the settings file goes here, not into the home folder
out=$(timeout 60 "$prefix/bin/rlc-logger" --demo --self-test 2>"$work/err")
rc=$?
[ $rc -eq 0 ] || { echo "FAIL: exit status $rc: $out $(cat "$work/err")"; exit 1; }
grep -qx "language file: $prefix/share/rlc-logger/lang/eng.lng" <<<"$out" ||
    { echo "FAIL: not the installed language file: $out"; exit 1; }
grep -Eq '^reading: [0-9.,]+ к?Ом$' <<<"$out" || { echo "FAIL: no resistance shown: $out"; exit 1; }
echo "$out"

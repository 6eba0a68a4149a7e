#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program refuses to start without lang/eng.lng and says why on stderr.
set -u
app=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$app" "$dir/rlc-logger"
cd "$dir"
# Settings of its own: a window running on the user's folder must not keep it out.
err=$(XDG_DATA_HOME=$dir/data QT_QPA_PLATFORM=offscreen timeout 20 ./rlc-logger 2>&1 >/dev/null)
rc=$?
[ "$rc" -eq 1 ] || { echo "expected exit status 1, got $rc"; exit 1; }
grep -q "lang/eng.lng" <<<"$err" || { echo "stderr does not name the missing file: $err"; exit 1; }
echo "1 passed, 0 failed"

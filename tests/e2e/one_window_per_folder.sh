#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One window per settings folder: a second copy on the same folder is refused
# (a line on stderr, then the message box), even when it runs with another
# temporary folder as another install would; a copy killed with SIGKILL does
# not keep the next one out.
# usage: one_window_per_folder.sh RLC_LOGGER
set -u
app=$1
work=$(mktemp -d)
first=
cleanup() {
    [ -n "$first" ] && kill -9 "$first" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$work/data
mkdir -p "$work/t1" "$work/t2" "$work/t3"
failed=0

TMPDIR=$work/t1 "$app" --demo >/dev/null 2>"$work/first.err" &
first=$!
for _ in $(seq 100); do
    [ -e "$work/data/ZAZ_Aduz/1.dat" ] && break
    sleep 0.1
done
[ -e "$work/data/ZAZ_Aduz/1.dat" ] || { echo "FAIL the first copy did not start"; exit 1; }

# The refused copy waits on its message box: read its line, then end it.
TMPDIR=$work/t2 "$app" --demo >/dev/null 2>"$work/second.err" &
second=$!
for _ in $(seq 150); do
    grep -q "another copy is running" "$work/second.err" && break
    sleep 0.1
done
kill -9 "$second" 2>/dev/null
wait "$second" 2>/dev/null
if ! grep -q "another copy is running on $work/data/ZAZ_Aduz" "$work/second.err"; then
    echo "FAIL a second copy on the same settings folder was not refused: $(cat "$work/second.err")"
    failed=1
fi

kill -9 "$first"
wait "$first" 2>/dev/null
first=
err=$(TMPDIR=$work/t3 timeout 60 "$app" --demo --self-test 2>&1 >/dev/null)
rc=$?
if [ "$rc" -ne 0 ] || grep -q "another copy" <<<"$err"; then
    echo "FAIL the lock of a killed copy kept the next one out (status $rc): $err"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "2 passed, 0 failed"
exit "$failed"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `rlc-meter simulate` started in the background with no input keeps running
# until it is told to stop, by SIGTERM or SIGINT.
# usage: simulate_lifetime.sh RLC_METER
set -u
meter=$1
failed=0
for signal in TERM INT; do
    out=$(mktemp)
    "$meter" simulate </dev/null >"$out" 2>&1 &
    pid=$!
    sleep 1
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "FAIL $signal: ended on its own: $(cat "$out")"
        failed=$((failed + 1))
        rm -f "$out"
        continue
    fi
    grep -q '^/dev/pts/' "$out" || { echo "FAIL $signal: no terminal path printed: $(cat "$out")"; failed=$((failed + 1)); }
    kill -"$signal" "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL $signal: still running 5 s after SIG$signal"
        kill -KILL "$pid"
        failed=$((failed + 1))
    else
        wait "$pid"
        rc=$?
        [ "$rc" -eq 0 ] || { echo "FAIL $signal: exit status $rc"; failed=$((failed + 1)); }
    fi
    rm -f "$out"
done
echo "$((2 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]

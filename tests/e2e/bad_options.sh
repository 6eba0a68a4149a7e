#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Bad option values are refused before anything starts: exit status 2 and a
# message that names the argument and the forms accepted.
# usage: bad_options.sh RLC_LOGGER RLC_METER
set -u
logger=$1 meter=$2
failed=0 passed=0

# name | expected text in stderr (grep -F, one per line) | command...
check() {
    local name=$1 expect=$2
    shift 2
    local err rc
    err=$(QT_QPA_PLATFORM=offscreen timeout 10 "$@" 2>&1 >/dev/null </dev/null)
    rc=$?
    local ok=1
    [ "$rc" -eq 2 ] || { echo "FAIL $name: exit status $rc, expected 2"; ok=0; }
    while IFS= read -r want; do
        grep -qF -- "$want" <<<"$err" || { echo "FAIL $name: stderr lacks '$want': $err"; ok=0; }
    done <<<"$expect"
    if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

check "demo part" $'--demo-part\nX=1\nR=<ohms>' "$logger" --demo --demo-part X=1
check "demo part without value unit" $'--demo-part\nR=\nRC=<ohms>,<farads>' "$logger" --demo --demo-part R=
check "demo mode" $'--demo-mode\nzz\nrlcd | rd | u' "$logger" --demo --demo-mode zz
# Refused before the window toolkit starts, so no display is needed either.
check "demo part without a display" $'--demo-part\nX=1' \
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$logger" --demo --demo-part X=1
check "simulate part" $'--part\nX=1\nR=<ohms>' "$meter" simulate --part X=1
check "simulate mode" $'--mode\nzz\nrlcd | rd | u' "$meter" simulate --mode zz
check "simulate model" $'--model\n7\n0, 1, 2 or 3' "$meter" simulate --model 7
check "simulate unknown option" $'--bogus' "$meter" simulate --bogus
check "log decimal of two characters" $'--decimal\none character' "$meter" log --decimal ",,"
check "log empty decimal" $'--decimal\none character' "$meter" log --decimal ""
check "decode decimal of two characters" $'--decimal\none character' "$meter" decode --decimal ",,"
# A sweep's lists are checked against the model named (the simulated one's
# with --demo), and with none named against every model, before connecting.
check "sweep frequency of no model" $'--freq\n3k\n100, 120, 1k, 10k' "$meter" sweep --freq 1k,3k
check "sweep frequency of another model" $'--freq\n150k\nКС17\n100, 120, 1k, 10k, 100k' \
    "$meter" sweep --model 2 --freq 150k
check "sweep frequency no number" $'--freq\nfast' "$meter" sweep --demo --freq 1k,fast
check "sweep level" $'--level\n0.7\n1.0, 0.5, 0.1' "$meter" sweep --demo --level 0.7
check "sweep readings" $'--readings\n1 to 100' "$meter" sweep --readings 0
check "sweep circuit" $'--circuit\nseries or parallel' "$meter" sweep --circuit both
check "sweep part without demo" $'--part needs --demo' "$meter" sweep --part R=1k

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

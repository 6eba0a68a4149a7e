#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Output that cannot be written is a failure: each command that writes to
# standard output succeeds into /dev/null and fails into /dev/full, with a line
# on standard error, so a truncated language file never looks complete.
# usage: unwritable_output.sh RLC_METER SOURCE_DIR
set -u
meter=$1 source=$2
failed=0 passed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "00 00 C8 42 00 00 C8 42 63 33 21 01 00 00 00 01 CD 0A" > "$work/frames.txt"
# An empty profile: the count 0 in a 100-byte header.
head -c 100 /dev/zero > "$work/empty.hex1"
# A journal of one reading from the simulated meter.
timeout 60 "$meter" log --demo --quiet --count 1 --out "$work/journal.csv" </dev/null

# name | command...
check() {
    local name=$1
    shift
    local rc err ok=1
    timeout 60 "$@" >/dev/null 2>/dev/null </dev/null
    rc=$?
    [ "$rc" -eq 0 ] || { echo "FAIL $name: exit status $rc into /dev/null"; ok=0; }
    err=$(timeout 60 "$@" 2>&1 >/dev/full </dev/null)
    rc=$?
    [ "$rc" -ne 0 ] || { echo "FAIL $name: exit status 0 into /dev/full"; ok=0; }
    grep -qF "cannot write the output" <<<"$err" ||
        { echo "FAIL $name: stderr does not say so: $err"; ok=0; }
    if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

check "lang-template" "$meter" lang-template
check "lang-template utf8" "$meter" lang-template --utf8
check "lang-merge" "$meter" lang-merge "$source/lang/eng.txt"
check "decode" "$meter" decode "$work/frames.txt"
check "profile" "$meter" profile "$work/empty.hex1"
check "stats" "$meter" stats "$work/journal.csv"
check "help" "$meter" --help

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

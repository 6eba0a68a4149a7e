#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Help, the version and unknown options are answered before the window toolkit
# starts: no display is needed, and a toolkit that did start here would abort
# (no X server), which shows as another exit status.
# usage: options_without_display.sh RLC_LOGGER RLC_METER
set -u
logger=$1 meter=$2
failed=0 passed=0

# name | exit status | expected text on stdout+stderr (grep -F, one per line) | command...
check() {
    local name=$1 want_rc=$2 expect=$3
    shift 3
    local out rc
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$@" 2>&1 </dev/null)
    rc=$?
    local ok=1
    [ "$rc" -eq "$want_rc" ] || { echo "FAIL $name: exit status $rc, expected $want_rc: $out"; ok=0; }
    while IFS= read -r want; do
        [ -z "$want" ] && continue
        grep -qF -- "$want" <<<"$out" || { echo "FAIL $name: output lacks '$want': $out"; ok=0; }
    done <<<"$expect"
    if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

licence=$'GPL-3.0-or-later\nNO WARRANTY'
check "version" 0 "rlc-logger "$'\n'"$licence" "$logger" --version
check "help" 0 $'--demo\n--port\n--version' "$logger" --help
check "unknown short option" 2 $'Unknown option \'V\'\n--help' "$logger" -V
check "unknown long option" 2 "Unknown option 'bogus'" "$logger" --bogus
check "missing value" 2 "Missing value after '--port'" "$logger" --port
# The toolkit's options, with their values, are not taken for unknown ones.
check "toolkit option with a value" 2 "Unknown option 'bogus'." "$logger" -platform xcb --bogus
check "toolkit option with =" 0 "$licence" "$logger" -style=Fusion --version
check "toolkit switch" 0 "$licence" "$logger" -reverse --version
check "tool version" 0 "rlc-meter "$'\n'"$licence" "$meter" --version

# The first line is the name and the version alone, as scripts read it.
first=$(env -u DISPLAY "$logger" --version 2>/dev/null | head -1)
[[ "$first" =~ ^rlc-logger\ [0-9]+(\.[0-9]+)+$ ]] || { echo "FAIL first line: '$first'"; failed=$((failed + 1)); }

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The udev rule lands where udev reads rules for each install prefix, and the
# package's scripts reload udev's rules only where udev runs.
# usage: udev_rule.sh BUILD_DIR SOURCE_DIR
set -u
build=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
rule=70-rlc-meter-adapter.rules

# prefix | folder of the rule under DESTDIR
while IFS='|' read -r prefix want; do
    root=$work/root
    rm -rf "$root"
    DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null ||
        { fail "install to $prefix"; continue; }
    found=$(cd "$root" && find . -name "$rule" | sed 's|^\./||')
    [ "$found" = "$want/$rule" ] || fail "prefix $prefix: rule at '${found//$'\n'/, }', expected $want"
done <<'EOF_CASES'
/usr|usr/lib/udev/rules.d
/usr/local|etc/udev/rules.d
/opt/rlc-logger|etc/udev/rules.d
EOF_CASES

# A stand-in udevadm that logs its calls; --ping answers as UDEV_RUNNING says.
mkdir -p "$work/bin"
cat >"$work/bin/udevadm" <<'EOF_FAKE'
#!/bin/sh
echo "$*" >>"$UDEV_LOG"
[ "$*" = "control --ping" ] && { [ "$UDEV_RUNNING" = yes ]; exit; }
exit 0
EOF_FAKE
chmod +x "$work/bin/udevadm"

# script | argument | udev running | udevadm calls after the ping (";" between)
while IFS='|' read -r script arg running want; do
    log=$work/udev.log
    : >"$log"
    UDEV_LOG=$log UDEV_RUNNING=$running PATH="$work/bin:/usr/bin:/bin" \
        sh "$src/packaging/debian/$script" "$arg" || fail "$script $arg exited with $?"
    calls=$(grep -vx "control --ping" "$log" | paste -sd ';')
    [ "$calls" = "$want" ] || fail "$script $arg (udev running: $running): '$calls', expected '$want'"
done <<'EOF_CASES'
postinst|configure|yes|control --reload-rules;trigger --subsystem-match=tty --attr-match=idVendor=0451
postinst|configure|no|
postinst|abort-upgrade|yes|
postrm|remove|yes|control --reload-rules
postrm|purge|yes|control --reload-rules
postrm|remove|no|
postrm|upgrade|yes|
EOF_CASES

# Without udevadm at all (a container) the scripts still succeed.
PATH=/nonexistent /bin/sh "$src/packaging/debian/postinst" configure || fail "postinst without udevadm"
PATH=/nonexistent /bin/sh "$src/packaging/debian/postrm" remove || fail "postrm without udevadm"

[ $failed -eq 0 ] && echo "udev rule: ok"
exit $failed

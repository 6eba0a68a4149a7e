#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed tree holds every file in its place, needs nothing of the build
# folder, and both programs answer --version and --help.
# usage: installed_layout.sh PREFIX_DIR BUILD_DIR APP_ID VERSION
set -u
prefix=$1 build=$2 id=$3 version=$4
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for f in bin/rlc-logger bin/rlc-meter share/rlc-logger/lang/eng.lng \
         "share/applications/$id.desktop" "share/icons/hicolor/scalable/apps/$id.svg" \
         "share/metainfo/$id.metainfo.xml" share/man/man1/rlc-meter.1.gz share/man/man1/rlc-logger.1.gz \
         lib/udev/rules.d/70-rlc-meter-adapter.rules; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for p in rlc-logger rlc-meter; do
    [ -x "$prefix/bin/$p" ] || fail "bin/$p is not executable"
    # The build's library search path must not travel with the program.
    if readelf -d "$prefix/bin/$p" | grep -E 'RPATH|RUNPATH' | grep -qF "$build"; then
        fail "bin/$p still looks for libraries in the build folder"
    fi
done
if grep -rlF "$build" "$prefix/share" >/dev/null; then
    fail "installed data names the build folder: $(grep -rlF "$build" "$prefix/share")"
fi

# The udev rule gives the seat's user the adapter, found by its USB id, and
# keeps ModemManager's probe off it.
rule=$(grep -v '^#' "$prefix/lib/udev/rules.d/70-rlc-meter-adapter.rules")
grep -Eq '^SUBSYSTEM=="tty", ATTRS\{idVendor\}=="0451", ATTRS\{idProduct\}=="16aa", ' <<<"$rule" ||
    fail "the udev rule does not match the adapter 0451:16aa: $rule"
grep -qF 'TAG+="uaccess"' <<<"$rule" || fail "the udev rule does not give the seat's user access"
grep -qF 'ENV{ID_MM_DEVICE_IGNORE}="1"' <<<"$rule" || fail "the udev rule lets ModemManager probe"

# One version for both programs, the one CMake has; asked where there is no
# display at all, as over ssh.
headless() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$@"; }
for program in rlc-logger rlc-meter; do
    out=$(headless "$prefix/bin/$program" --version 2>&1) || fail "$program --version failed"
    [ "$(head -1 <<<"$out")" = "$program $version" ] || fail "$program --version printed '$out'"
    grep -qF "GPL-3.0-or-later" <<<"$out" || fail "$program --version does not name the licence"
done

# Help goes to standard output with status 0 and names what can be done.
out=$(headless "$prefix/bin/rlc-logger" --help 2>/dev/null) || fail "rlc-logger --help failed"
for opt in --demo --port --version; do
    grep -q -- "$opt" <<<"$out" || fail "rlc-logger --help does not mention $opt"
done
for args in "--help" "-h" "decode --help" "simulate --help"; do
    # shellcheck disable=SC2086
    out=$("$prefix/bin/rlc-meter" $args 2>/dev/null) || fail "rlc-meter $args failed"
    grep -q "decode" <<<"$out" && grep -q "simulate" <<<"$out" ||
        fail "rlc-meter $args does not list the commands"
done
"$prefix/bin/rlc-meter" --bogus >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown command is not a usage error"

# The man pages are there and render without complaints.
if command -v man >/dev/null; then
    for page in rlc-meter rlc-logger; do
        out=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "$page.1 warnings: $out"
    done
    MANWIDTH=80 man -l "$prefix/share/man/man1/rlc-meter.1.gz" 2>/dev/null | grep -q -- "--decimal" ||
        fail "the man page does not describe decode's options"
fi

[ $failed -eq 0 ] && echo "installed layout: ok"
exit $failed

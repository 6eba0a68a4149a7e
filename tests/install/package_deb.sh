#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the .deb from the build folder with CPack and looks inside: the files,
# the control fields, dependencies that cover every library the programs load,
# and the packaged window program starting with --demo.
# usage: package_deb.sh BUILD_DIR APP_ID VERSION
# Exit status 77 (skipped) where the Debian tools are missing.
set -u
build=$1 id=$2 version=$3
for tool in dpkg-deb dpkg-shlibdeps cpack; do
    command -v $tool >/dev/null || { echo "$tool is missing: skipped"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# The package that owns a library file; with a merged /usr dpkg knows either
# the /lib or the /usr/lib spelling.
owner() {
    local real c found
    real=$(readlink -f "$1")
    for c in "$1" "$real" "${1#/usr}" "/usr${1#/usr}" "${real#/usr}" "/usr${real#/usr}"; do
        found=$(dpkg -S "$c" 2>/dev/null | head -1 | cut -d: -f1)
        [ -n "$found" ] && { echo "$found"; return; }
    done
}

start=$(date +%s%N)
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single .deb: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb") in $((($(date +%s%N) - start) / 1000000)) ms"

# Control fields.
[ "$(dpkg-deb -f "$deb" Package)" = rlc-logger ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ "$maintainer" =~ ^[^\<]+\ \<[^@\>]+@[^@\>]+\.[a-z]+\>$ ]] || fail "maintainer is not 'Name <address>': $maintainer"
[[ "$maintainer" == *@localhost* ]] && fail "maintainer address is not a real one: $maintainer"
grep -qx "fonts-crosextra-carlito" <<<"$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')" ||
    fail "the package does not depend on the Carlito font"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Package names in Depends, alternatives included, without versions.
depNames=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ :(].*//')

grep -qxF qt6-translations-l10n <<<"$depNames" || fail "Qt's translations are not in Depends"
# The window's icon is an SVG, drawn by a plugin no library check can see.
grep -qxF libqt6svg6 <<<"$depNames" || fail "Qt's SVG plugin is not in Depends"

# Files, all under /usr.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/rlc-logger ./usr/bin/rlc-meter ./usr/share/rlc-logger/lang/eng.lng \
         "./usr/share/applications/$id.desktop" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
         "./usr/share/metainfo/$id.metainfo.xml" ./usr/share/man/man1/rlc-meter.1.gz \
         ./usr/share/man/man1/rlc-logger.1.gz ./usr/share/doc/rlc-logger/copyright \
         ./usr/share/doc/rlc-logger/changelog.gz ./usr/lib/udev/rules.d/70-rlc-meter-adapter.rules; do
    grep -qxF "$f" <<<"$contents" || fail "$f is not in the package"
done
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./')
[ -z "$outside" ] || fail "files outside /usr: $outside"
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "no postinst that reloads the udev rules"
[ -x "$work/control/postrm" ] || fail "no postrm that reloads the udev rules"

# Every library the programs need comes from a package named in Depends.
dpkg-deb -x "$deb" "$work/root"
for p in rlc-logger rlc-meter; do
    bin=$work/root/usr/bin/$p
    file -b "$bin" | grep -q ', stripped' || fail "$p is not stripped"
    for lib in $(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|x86_64/ {print $NF; exit}')
        [ -n "$path" ] || path=$(ldconfig -p | awk -v l="$lib" '$1 == l {print $NF; exit}')
        [ -n "$path" ] || { fail "$p needs $lib, which is not on this machine"; continue; }
        pkg=$(owner "$path")
        [ -n "$pkg" ] || { fail "no package owns $path ($lib)"; continue; }
        grep -qxF "$pkg" <<<"$depNames" || fail "$p needs $lib from $pkg, not in Depends"
    done
done

# The unpacked program runs from where it was unpacked, with its own language file.
cd "$work"
out=$(QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$work/data timeout 60 "$work/root/usr/bin/rlc-logger" --demo --self-test 2>&1)
grep -qx "language file: $work/root/usr/share/rlc-logger/lang/eng.lng" <<<"$out" ||
    fail "the packaged program did not start with its language file: $out"
grep -q '^reading: ' <<<"$out" || fail "the packaged program showed no reading: $out"

# What a Debian archive would say: no errors and no warnings.
if command -v lintian >/dev/null; then
    out=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $out"
    grep -E '^[EW]: ' <<<"$out" && fail "lintian warnings"
else
    fail "lintian is missing (scripts/deps.sh installs it)"
fi

[ $failed -eq 0 ] && echo "package: ok"
exit $failed

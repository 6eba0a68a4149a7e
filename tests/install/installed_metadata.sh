#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry and the AppStream metadata pass their validators, and the
# entry starts an installed program with an installed icon.
# usage: installed_metadata.sh PREFIX_DIR APP_ID
set -u
prefix=$1 id=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }
for tool in desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate"

grep -qx "Icon=$id" "$desktop" || fail "the entry does not name the icon $id"
grep -qx "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    <(sed 's/^ *//' "$prefix/share/metainfo/$id.metainfo.xml") ||
    fail "the metadata does not launch $id.desktop"
for exec in $(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop"); do
    [ -x "$prefix/bin/$exec" ] || fail "Exec=$exec is not an installed program"
done
[ $failed -eq 0 ] && echo "desktop entry and metadata: ok"
exit $failed

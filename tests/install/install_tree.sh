#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh staging folder, as a packager would.
# usage: install_tree.sh BUILD_DIR DESTDIR PREFIX
set -euo pipefail
build=$1 root=$2 prefix=$3
rm -rf "$root"
DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null
echo "installed into $root$prefix"

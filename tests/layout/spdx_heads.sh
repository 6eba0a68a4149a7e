#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file says its licence in its head: an SPDX line in the first
# three lines (after a #! line).
set -euo pipefail
root=$1
line='SPDX-License-Identifier: GPL-3.0-or-later'
missing=$(cd "$root" &&
    find src tests bench scripts cmake packaging .ci CMakeLists.txt run.sh test.sh \
        -path tests/fuzz/corpus -prune -o -type f \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.h.in' -o -name '*.sh' -o -name '*.py' \
           -o -name '*.cmake' -o -name CMakeLists.txt -o -name postinst -o -name postrm \
           -o -path .ci/run \) -print |
    while read -r f; do head -3 "$f" | grep -qF "$line" || echo "$f"; done)
if [ -n "$missing" ]; then
    echo "files without '$line' in their head:" >&2
    echo "$missing" >&2
    exit 1
fi
echo "every source file names its licence"

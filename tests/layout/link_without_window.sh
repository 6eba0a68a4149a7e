#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The link to the meter must stay usable without a window: nothing under
# src/link may include the window or its subsystems, or Qt Widgets.
set -euo pipefail
src=$1
bad=$(grep -rnE '#include *[<"](app|control|connection)/|#include *<Q(Widget|MainWindow|Label|PushButton|Application|MessageBox)' \
  "$src/link" || true)
if [ -n "$bad" ]; then
  echo "src/link includes window code:" >&2
  echo "$bad" >&2
  exit 1
fi
echo "src/link includes no window code"

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace cli {

// Pushes out what standard output still buffers and tells whether anything
// written to it was lost (a full disk, a closed pipe, /dev/full): the reason,
// or none when all of it went out.
std::optional<std::string> StandardOutputFailure();

// The exit status of a command whose output must be whole: a success turns
// into 1, with a line on standard error, when standard output lost anything,
// so a truncated language file or listing never looks complete.
int FinishWithOutputChecked(int status);

}  // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Characters of a UTF-8 text. A byte that starts no valid sequence counts as a
// character of its own, so any bytes split safely.
namespace logcore {

std::vector<std::string_view> SplitCharacters(std::string_view text);

}  // namespace logcore

namespace logcore {

bool IsValidUtf8(std::string_view text);

}  // namespace logcore

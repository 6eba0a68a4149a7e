// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Subcommands for translators; they need the window's library.
namespace cli {
int RunLangTemplate(const std::vector<std::string>& args);
int RunLangCheck(const std::vector<std::string>& args);
int RunLangMerge(const std::vector<std::string>& args);
}  // namespace cli

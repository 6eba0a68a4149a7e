// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Subcommands of the rlc-meter tool. Each gets the arguments after its name and
// returns the process exit status.
namespace cli {
int RunDecode(const std::vector<std::string>& args);
int RunSimulate(const std::vector<std::string>& args);
int RunProfile(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunLog(const std::vector<std::string>& args);
int RunStats(const std::vector<std::string>& args);
int RunSweep(const std::vector<std::string>& args);
int RunMatch(const std::vector<std::string>& args);
}  // namespace cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Where a workbook may go. The file is written beside its target as
// TARGET.part and renamed over it once complete.
namespace exporter {

// The file to write for `path`: the path itself, or the file a symbolic link
// (or a chain of them) leads to, so the link stays a link. False with the
// reason when something that is not a regular file is in the way (a folder, a
// FIFO, a device): it is never replaced.
bool ResolveExportTarget(const std::string& path, std::string& target, std::string& error);

// An earlier export killed before its rename leaves TARGET.part behind; it is
// removed when it is one of ours (a regular file that is empty or begins as a
// workbook does). False with the reason when something else holds that name.
bool ClearStalePart(const std::string& part, std::string& error);

}  // namespace exporter

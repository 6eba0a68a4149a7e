// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <vector>

namespace i18n {

// The folders that may hold the language files, in the order they are tried:
// "lang" beside the program (a build folder), "lang" under the current folder,
// and the data folder of an installed program (`dataFromBin`, relative to the
// program's folder).
std::vector<std::filesystem::path> LanguageFolderCandidates(
    const std::filesystem::path& programDir, const std::filesystem::path& currentDir,
    const std::filesystem::path& dataFromBin);

}  // namespace i18n

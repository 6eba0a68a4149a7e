// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lang_folders.h"

namespace i18n {

std::vector<std::filesystem::path> LanguageFolderCandidates(
    const std::filesystem::path& programDir, const std::filesystem::path& currentDir,
    const std::filesystem::path& dataFromBin) {
    return {(programDir / "lang").lexically_normal(), (currentDir / "lang").lexically_normal(),
            (programDir / dataFromBin / "lang").lexically_normal()};
}

}  // namespace i18n

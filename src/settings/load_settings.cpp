// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/load_settings.h"

#include <limits>

#include "settings/codepage.h"
#include "settings/settings_file.h"

namespace settings {

TLoadSettingsPlan PlanLoadSettings(std::optional<std::span<const std::uint8_t>> file,
                                   std::uint8_t currentModel) {
    TLoadSettingsPlan plan;
    if (!file) {
        plan.createEmptyFile = true;
        return plan;
    }
    const TSettingsFile f = ReadSettingsFile(*file);
    plan.autoConnectChecked = f.autoConnect != 0;

    std::uint8_t model = currentModel;
    if (f.modelByte < 10) {
        plan.model = f.modelByte;
        model = f.modelByte;
    }
    if (model <= 3) plan.modelButton = model;

    plan.languageIndex = f.languageIndex;
    plan.defaultLanguage = f.languageIndex == 1 ? kLanguageEnglish : kLanguageRussian;

    if (!f.lastProfilePath.empty()) plan.profilePath = Cp1251ToUtf8(f.lastProfilePath);
    return plan;
}

std::string ProfileNameFromPath(std::string_view utf8Path) {
    const auto slash = utf8Path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? utf8Path : utf8Path.substr(slash + 1);
    // Drop five characters, not bytes: the name may hold Cyrillic letters.
    for (int dropped = 0; dropped < 5 && !name.empty(); ++dropped) {
        std::size_t cut = name.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name = name.substr(0, cut);
    }
    return std::string(name);
}

std::optional<std::int32_t> ProfileCountFromHeader(std::span<const std::uint8_t> header) {
    if (header.size() < 4) return std::nullopt;
    const std::uint32_t v = header[0] | (header[1] << 8) | (header[2] << 16) |
                            (static_cast<std::uint32_t>(header[3]) << 24);
    return static_cast<std::int32_t>(v);
}

int EntrySpinnerMaximum(std::int32_t count) {
    if (count == std::numeric_limits<std::int32_t>::max()) return count;
    return count + 1;
}

}  // namespace settings

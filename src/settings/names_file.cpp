// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/names_file.h"

#include <algorithm>
#include <charconv>

#include "settings/codepage.h"
#include "settings/load_settings.h"
#include "settings/settings_file.h"

namespace settings {
namespace {

constexpr std::string_view kLanguageIndexKey = "language-index";
constexpr std::string_view kLanguageKey = "language";
constexpr std::string_view kProfileKey = "profile";

std::optional<std::int32_t> Int32(std::string_view s) {
    std::int32_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

}  // namespace

TNamesFile ReadNamesFile(std::string_view text) {
    TNamesFile names;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        const std::size_t eq = line.find('=');
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? "" : line.substr(eq + 1);
        if (key == kLanguageIndexKey)
            names.languageIndex = Int32(value);
        else if (key == kLanguageKey)
            names.language = value;
        else if (key == kProfileKey)
            names.profilePath = value;
        else
            names.other.emplace_back(line);
    }
    return names;
}

std::string WriteNamesFile(const TNamesFile& names) {
    std::string out;
    auto line = [&out](std::string_view key, std::string_view value) {
        out.append(key).append("=").append(value).append("\n");
    };
    if (names.languageIndex) line(kLanguageIndexKey, std::to_string(*names.languageIndex));
    if (!names.language.empty()) line(kLanguageKey, names.language);
    if (!names.profilePath.empty()) line(kProfileKey, names.profilePath);
    for (const std::string& l : names.other) out.append(l).append("\n");
    return out;
}

bool PathFitsSettingsFile(std::string_view utf8Path) {
    const std::string stored = Utf8ToCp1251(utf8Path);
    return stored.size() <= kPathCapacity && Cp1251ToUtf8(stored) == utf8Path;
}

std::string RestoredLanguage(std::int32_t storedIndex, const TNamesFile& names,
                             const std::vector<std::string>& listed) {
    if (storedIndex == 1) return kLanguageEnglish;
    if (storedIndex <= 0) return kLanguageRussian;
    if (names.languageIndex == storedIndex && !names.language.empty())
        return std::find(listed.begin(), listed.end(), names.language) != listed.end()
                   ? names.language
                   : std::string(kLanguageRussian);
    if (static_cast<std::size_t>(storedIndex) >= listed.size()) return kLanguageRussian;
    return listed[static_cast<std::size_t>(storedIndex)];
}

std::int32_t StoredLanguageIndex(std::string_view name, int chooserIndex) {
    if (chooserIndex <= 0) return 0;
    if (name == kLanguageEnglish) return 1;
    return std::max(chooserIndex, 2);
}

}  // namespace settings

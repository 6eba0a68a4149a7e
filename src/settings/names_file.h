// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// names.txt beside 1.dat: what 1.dat's fixed layout cannot hold, in UTF-8, one
// "key=value" line each; unknown keys are kept when the file is rewritten.
//
//   language-index=5        the index stored in 1.dat together with the name
//   language=Deutsch        the chosen language, by its name
//   profile=/home/a/Prüf/pp.hex1
//
// 1.dat stays as it is and stays first: a language is named here only for an
// index other than 0 (Russian) and 1 (English), and only while 1.dat still
// holds the index stored with it; a profile path only while 1.dat holds none.
namespace settings {

inline constexpr const char* kNamesFileName = "names.txt";

struct TNamesFile {
    std::optional<std::int32_t> languageIndex;
    std::string language;
    std::string profilePath;
    // Lines of other keys, kept as found.
    std::vector<std::string> other;

    friend bool operator==(const TNamesFile&, const TNamesFile&) = default;
};

TNamesFile ReadNamesFile(std::string_view text);
std::string WriteNamesFile(const TNamesFile& names);

// Whether 1.dat can hold the path as it is: every character in Windows-1251
// and no more than its 196 bytes.
bool PathFitsSettingsFile(std::string_view utf8Path);

// The language a (re)load of the settings switches to. `storedIndex` is
// 1.dat's index and `listed` the chooser's entries, the design language first.
// 0 and every negative index are Russian and 1 English, whatever files the
// language folder holds. Any other index is the language named in names.txt
// when it was stored with that index (Russian when that language is gone);
// with no name stored with it (1.dat written by an older program), the
// chooser's entry at that index; past the chooser's end Russian.
std::string RestoredLanguage(std::int32_t storedIndex, const TNamesFile& names,
                             const std::vector<std::string>& listed);

// The index 1.dat keeps for a chosen language: 0 for the design language, 1
// for English, for any other its place in the chooser but at least 2, so it
// never reads as Russian or English.
std::int32_t StoredLanguageIndex(std::string_view name, int chooserIndex);

}  // namespace settings

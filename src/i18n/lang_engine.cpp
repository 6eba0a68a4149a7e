// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lang_engine.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace i18n {

std::optional<std::string> TTranslationTables::Property(const TPropertyKey& key) const {
    auto it = properties.find(key);
    if (it == properties.end() || it->second.notrans) return std::nullopt;
    return ExpandCharacterCodes(it->second.text);
}

void AddToTables(const TLanguageFile& file, TTranslationTables& tables) {
    for (const TPropertyLine& p : file.properties) tables.properties[p.key] = p;
    for (const TLexiconBlock& b : file.lexicons) {
        const std::string& key = b.langman ? std::string(kEngineLexiconKey) : b.key;
        for (const auto& [index, text] : b.items) tables.lexicons.Set(key, index, text);
    }
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxLanguageFileBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
}

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

TLangManEngine::TLangManEngine() {
    languages_.push_back({kDesignName, kDesignCode, {}});
}

void TLangManEngine::ListLanguages(const std::filesystem::path& folder) {
    const std::string current = Current().name;
    languages_.resize(1);
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (Lower(it->path().extension().string()) == kExtension) files.push_back(it->path());
    }
    // The shipped English file comes first, so entry 1 is English whatever
    // other files lie beside it (the settings file relies on that), and a
    // second file calling itself English cannot hide it.
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        const bool aShipped = Lower(a.filename().string()) == kShippedEnglish;
        const bool bShipped = Lower(b.filename().string()) == kShippedEnglish;
        if (aShipped != bShipped) return aShipped;
        return a < b;
    });
    for (const auto& path : files) {
        const auto bytes = ReadFileBytes(path);
        if (!bytes) continue;
        const auto header = ReadHeader(*bytes);
        if (!header) continue;
        const bool listed =
            std::any_of(languages_.begin() + 1, languages_.end(),
                        [&](const TLanguageEntry& e) { return e.name == header->name; });
        if (!listed) languages_.push_back({header->name, header->code, path});
    }
    current_ = Find(current).value_or(0);
}

std::optional<int> TLangManEngine::Find(const std::string& name) const {
    for (std::size_t i = 0; i < languages_.size(); ++i)
        if (languages_[i].name == name) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> TLangManEngine::FindCode(const std::string& code) const {
    const std::string wanted = NormalizeLanguageCode(code);
    if (wanted.empty()) return std::nullopt;
    if (wanted == NormalizeLanguageCode(kDesignCode)) return 0;
    for (std::size_t i = 1; i < languages_.size(); ++i)
        if (languages_[i].code == wanted) return static_cast<int>(i);
    return std::nullopt;
}

bool TLangManEngine::Load(int index, TTranslationTables& tables) const {
    std::vector<int> chain;
    return Load(index, tables, chain);
}

bool TLangManEngine::Load(int index, TTranslationTables& tables, std::vector<int>& chain) const {
    if (index <= 0) return true;  // the design language needs no file
    chain.push_back(index);
    const TLanguageEntry& entry = languages_[static_cast<std::size_t>(index)];
    const auto bytes = ReadFileBytes(entry.file);
    if (!bytes || bytes->empty()) return false;
    const TReadResult read = ReadLanguageFile(*bytes);
    if (!read.isLanguageFile) return false;
    // Languages that name each other as superior are loaded once each.
    if (const auto superior = Find(read.file.superior);
        superior && std::find(chain.begin(), chain.end(), *superior) == chain.end())
        Load(*superior, tables, chain);
    AddToTables(read.file, tables);
    return read.complete;
}

bool TLangManEngine::SetLanguage(const std::string& name) {
    const std::optional<int> index = Find(name);
    if (!index || *index == current_) return false;
    // Loaded before the window is asked: a language that cannot be read must
    // not be remembered or drop the meter's link.
    TTranslationTables tables;
    if (!Load(*index, tables)) {
        if (hooks_.LoadFailed) hooks_.LoadFailed(languages_[static_cast<std::size_t>(*index)]);
        return false;
    }
    bool go = true;
    if (hooks_.ChangeLangQuery) hooks_.ChangeLangQuery(go);
    if (!go) return false;
    tables_ = std::move(tables);
    current_ = *index;
    if (hooks_.Apply) hooks_.Apply();
    if (hooks_.ChangeLanguage) hooks_.ChangeLanguage();
    return true;
}

}  // namespace i18n

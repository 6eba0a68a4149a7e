// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "i18n/lng_file.h"

// The localization engine: the languages found in the language folder, the
// current one, and its translation tables. Changes go through SetLanguage,
// which tells the window before and after.
namespace i18n {

struct TLanguageEntry {
    std::string name;
    std::string code;
    std::filesystem::path file;  // empty for the design language
};

// What a language translates: control properties and lexicon items, in their
// stored form (control characters as '#NN' runs).
struct TTranslationTables {
    std::map<TPropertyKey, TPropertyLine> properties;
    Translations lexicons;

    // The translation of a property, expanded; nothing when the language keeps
    // the design text (no line, or %NOTRANS).
    std::optional<std::string> Property(const TPropertyKey& key) const;
};

// Puts a file's lines into the tables, over what is there. %LANGMAN blocks go
// to the engine's own lexicon.
void AddToTables(const TLanguageFile& file, TTranslationTables& tables);

class TLangManEngine {
  public:
    static constexpr const char* kDesignName = "Русский";
    static constexpr const char* kDesignCode = "ru - Russian";
    static constexpr const char* kExtension = ".lng";
    static constexpr const char* kShippedEnglish = "eng.lng";

    struct Hooks {
        // Before a change; clearing the flag refuses it.
        std::function<void(bool& go)> ChangeLangQuery;
        // The new tables are current: controls follow them.
        std::function<void()> Apply;
        std::function<void()> ChangeLanguage;
        // A listed language whose file could not be read completely.
        std::function<void(const TLanguageEntry&)> LoadFailed;
    };

    TLangManEngine();
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // The design language, then one entry per language file of `folder`
    // (eng.lng first, then sorted by file name; that name and the extension
    // are compared without case); files without
    // the signature or a name, and later files of a name already listed, are
    // left out. A missing folder lists the design language alone.
    void ListLanguages(const std::filesystem::path& folder);

    const std::vector<TLanguageEntry>& Languages() const { return languages_; }
    int CurrentIndex() const { return current_; }
    const TLanguageEntry& Current() const { return languages_[static_cast<std::size_t>(current_)]; }
    const TTranslationTables& Tables() const { return tables_; }
    std::optional<int> Find(const std::string& name) const;
    std::optional<int> FindCode(const std::string& code) const;

    // A language change to `name`. Nothing happens (no query) when the name is
    // the current one or not listed; false then, and when refused or when its
    // file cannot be read completely (the current language and its texts stay).
    // The file is read before the query, so a file that fails is never asked
    // about.
    bool SetLanguage(const std::string& name);

    // Reads entry `index` with its superior languages into `tables`; false when
    // its own file is not complete. Used by SetLanguage and by tools.
    bool Load(int index, TTranslationTables& tables) const;

  private:
    bool Load(int index, TTranslationTables& tables, std::vector<int>& chain) const;

    std::vector<TLanguageEntry> languages_;
    int current_ = 0;
    TTranslationTables tables_;
    Hooks hooks_;
};

// Far beyond any real language file; a bigger file is not read at all.
inline constexpr std::uintmax_t kMaxLanguageFileBytes = 16 * 1024 * 1024;

// Reads a whole file; nothing when it cannot be read or is too big.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

}  // namespace i18n

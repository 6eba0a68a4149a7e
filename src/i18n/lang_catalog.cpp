// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lang_catalog.h"

#include <map>
#include <set>

namespace i18n {
namespace {

using TItemKey = std::pair<std::string, int>;

// The lexicon items of a file by key and index; %LANGMAN blocks under the
// engine's key.
std::map<TItemKey, std::string> Items(const TLanguageFile& file) {
    std::map<TItemKey, std::string> items;
    for (const TLexiconBlock& b : file.lexicons)
        for (const auto& [index, text] : b.items)
            items.emplace(TItemKey{b.langman ? std::string(kEngineLexiconKey) : b.key, index},
                          text);
    return items;
}

std::map<TPropertyKey, const TPropertyLine*> Properties(const TLanguageFile& file) {
    std::map<TPropertyKey, const TPropertyLine*> lines;
    for (const TPropertyLine& p : file.properties) lines.emplace(p.key, &p);
    return lines;
}

std::string PropertyLineText(const TPropertyLine& p) {
    std::string line = std::to_string(p.key.property) + "\t\"" + p.text +
                       "\"\t%COMPONENT=" + p.key.component + ";\t%OWNER=" + p.key.owner + ";";
    if (p.key.item) line += "\t%ITEM=" + std::to_string(*p.key.item) + ";";
    return line;
}

std::string ItemDescription(const TItemKey& key) {
    return "item " + std::to_string(key.second) + " of lexicon " + key.first;
}

}  // namespace

std::string Describe(const TPropertyKey& key) {
    std::string s(PropertyWord(key.property));
    if (key.item) {
        s += ' ';
        s += std::to_string(*key.item);
    }
    return s + " of " + key.component + " in " + key.owner;
}

TLanguageFile MakeTemplate(const std::vector<TDesignProperty>& properties,
                           const TLexicons& lexicons) {
    TLanguageFile file;
    file.name = "New language";
    for (const TDesignProperty& p : properties)
        file.properties.push_back({p.key, p.text, false, false});
    for (const TDesignedLexicon* lexicon : lexicons.All()) {
        TLexiconBlock block{lexicon->Key(), lexicon->Key() == kEngineLexiconKey, {}};
        for (int i = 0; i < lexicon->Count(); ++i)
            if (!lexicon->DesignItem(i).empty())
                block.items.emplace_back(i, EscapeControlCharacters(lexicon->DesignItem(i)));
        file.lexicons.push_back(std::move(block));
    }
    return file;
}

TCheckReport CheckLanguage(const TReadResult& read, const TLanguageFile& tmpl,
                           const std::vector<TLanguageFile>& superior) {
    TCheckReport report;
    for (const TBadLine& bad : read.bad)
        report.unreadable.push_back("line " + std::to_string(bad.line) + ": " + bad.reason +
                                    (bad.text.empty() ? "" : ": " + bad.text));
    if (!read.isLanguageFile) {
        report.unreadable.push_back(
            "line 1: not a language file (the first line must be [LANGUAGE_FILE])");
        return report;
    }
    if (!read.complete)
        report.unreadable.push_back(
            "the file is cut off: it ends inside a line or before the %LEXICON_STRINGS mark");
    else if (!read.endMark)
        report.warnings.push_back(
            "no closing %SMART_STRINGS line: the file is read to its end, as it is now");

    auto fileProps = Properties(read.file);
    auto fileItems = Items(read.file);
    std::set<TPropertyKey> filled;
    std::set<TItemKey> filledItems;
    for (const TLanguageFile& s : superior) {
        for (const auto& [key, line] : Properties(s)) filled.insert(key);
        for (const auto& [key, text] : Items(s)) filledItems.insert(key);
    }
    const auto tmplProps = Properties(tmpl);
    const auto tmplItems = Items(tmpl);
    for (const TPropertyLine& p : tmpl.properties)
        if (!fileProps.contains(p.key) && !filled.contains(p.key))
            report.lacking.push_back("lacks the " + Describe(p.key) + ": " + PropertyLineText(p));
    for (const TLexiconBlock& b : tmpl.lexicons)
        for (const auto& [index, text] : b.items)
            if (!fileItems.contains({b.key, index}) && !filledItems.contains({b.key, index}))
                report.lacking.push_back("lacks " + ItemDescription({b.key, index}) + ": " +
                                         std::to_string(index) + "\t\"" + text + "\"");
    for (const auto& [key, line] : fileProps)
        if (!tmplProps.contains(key))
            report.obsolete.push_back("holds the " + Describe(key) +
                                      ", which the window no longer has");
    for (const auto& [key, text] : fileItems)
        if (!tmplItems.contains(key))
            report.obsolete.push_back("holds " + ItemDescription(key) +
                                      ", which the window no longer has");
    return report;
}

TLanguageFile MergeLanguages(const TLanguageFile& tmpl, const std::vector<TLanguageFile>& sources,
                             std::vector<std::string>& lacking) {
    TLanguageFile out;
    if (!sources.empty()) {
        out.name = sources.front().name;
        out.code = sources.front().code;
        out.superior = sources.front().superior;
        out.fileVersion = sources.front().fileVersion;
        out.flag = sources.front().flag;
    }
    std::vector<std::map<TPropertyKey, const TPropertyLine*>> props;
    std::vector<std::map<TItemKey, std::string>> items;
    for (const TLanguageFile& s : sources) {
        props.push_back(Properties(s));
        items.push_back(Items(s));
    }
    for (const TPropertyLine& p : tmpl.properties) {
        const TPropertyLine* found = nullptr;
        for (const auto& m : props)
            if (auto it = m.find(p.key); !found && it != m.end()) found = it->second;
        if (found)
            out.properties.push_back(*found);
        else
            lacking.push_back("lacks the " + Describe(p.key) + ": " + PropertyLineText(p));
    }
    for (const TLexiconBlock& b : tmpl.lexicons) {
        TLexiconBlock block{b.key, b.langman, {}};
        for (const auto& [index, text] : b.items) {
            const std::string* found = nullptr;
            for (const auto& m : items)
                if (auto it = m.find({b.key, index}); !found && it != m.end()) found = &it->second;
            if (found)
                block.items.emplace_back(index, *found);
            else
                lacking.push_back("lacks " + ItemDescription({b.key, index}) + ": " +
                                  std::to_string(index) + "\t\"" + text + "\"");
        }
        out.lexicons.push_back(std::move(block));
    }
    return out;
}

}  // namespace i18n

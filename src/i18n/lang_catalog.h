// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "i18n/lng_file.h"

// What a language file has to translate, and checks of files against it.
namespace i18n {

// A translatable property of the window with its design text.
struct TDesignProperty {
    TPropertyKey key;
    std::string text;
};

// Every translatable property and every non-empty lexicon item, with the
// Russian texts as translations: the starting point of a new language.
TLanguageFile MakeTemplate(const std::vector<TDesignProperty>& properties,
                           const TLexicons& lexicons);

// Problems of a language file measured against a template: what it lacks,
// what it holds that the template has not, and lines it cannot read. Each
// message is one line, ready to print.
// Warnings name what the window reads all the same; they leave a file clean.
struct TCheckReport {
    std::vector<std::string> lacking;
    std::vector<std::string> obsolete;
    std::vector<std::string> unreadable;
    std::vector<std::string> warnings;
    bool Clean() const { return lacking.empty() && obsolete.empty() && unreadable.empty(); }
};

// `superior` holds what the file's superior languages translate (they may
// fill what the file lacks).
TCheckReport CheckLanguage(const TReadResult& read, const TLanguageFile& tmpl,
                           const std::vector<TLanguageFile>& superior = {});

// A complete file in the template's order: header from the first source, each
// text from the first source that has it. What no source has is left out and
// named in `lacking`.
TLanguageFile MergeLanguages(const TLanguageFile& tmpl, const std::vector<TLanguageFile>& sources,
                             std::vector<std::string>& lacking);

// "caption of B5 in Form1" and the like, for messages.
std::string Describe(const TPropertyKey& key);

}  // namespace i18n

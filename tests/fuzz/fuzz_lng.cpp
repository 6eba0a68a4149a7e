// SPDX-License-Identifier: GPL-3.0-or-later
// A language file of any content through the reader, the translation tables,
// the check against the template and the lexicons that show its texts.

#include <string>

#include "fuzz_support.h"
#include "i18n/lang_catalog.h"
#include "i18n/lang_engine.h"
#include "i18n/lexicon.h"
#include "i18n/lng_file.h"

namespace {

const i18n::TLanguageFile& Template() {
    static const i18n::TLexicons lexicons;
    static const i18n::TLanguageFile file = i18n::MakeTemplate({}, lexicons);
    return file;
}

void CheckTexts(const i18n::TReadResult& read) {
    const i18n::TLanguageFile& f = read.file;
    fuzz::Check(fuzz::IsValidUtf8(f.name) && fuzz::IsValidUtf8(f.code) &&
                    fuzz::IsValidUtf8(f.superior) && fuzz::IsValidUtf8(f.fileVersion),
                "header texts are UTF-8");
    for (const i18n::TPropertyLine& p : f.properties)
        fuzz::Check(fuzz::IsValidUtf8(p.text) && fuzz::IsValidUtf8(p.key.component) &&
                        fuzz::IsValidUtf8(p.key.owner),
                    "property texts are UTF-8");
    for (const i18n::TLexiconBlock& b : f.lexicons) {
        fuzz::Check(fuzz::IsValidUtf8(b.key), "lexicon keys are UTF-8");
        for (const auto& [index, text] : b.items) fuzz::Check(fuzz::IsValidUtf8(text), "items");
    }
    for (const i18n::TBadLine& b : read.bad)
        fuzz::Check(b.line >= 1 && fuzz::IsValidUtf8(b.reason) && fuzz::IsValidUtf8(b.text),
                    "bad lines are numbered and UTF-8");
}

// Empty lexicon items are not written.
i18n::TLanguageFile WithoutEmptyItems(i18n::TLanguageFile file) {
    for (i18n::TLexiconBlock& b : file.lexicons)
        std::erase_if(b.items, [](const auto& item) { return item.second.empty(); });
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::Check(fuzz::IsValidUtf8(i18n::DecodeFileText(bytes)), "decoded text is UTF-8");

    const i18n::TReadResult read = i18n::ReadLanguageFile(bytes);
    CheckTexts(read);
    if (const auto header = i18n::ReadHeader(bytes)) {
        fuzz::Check(read.isLanguageFile, "a header only in a language file");
        fuzz::Check(fuzz::IsValidUtf8(header->name) && fuzz::IsValidUtf8(header->code), "header");
    }
    if (!read.isLanguageFile) return 0;

    // A file read without a fault is written as one that reads back the same,
    // in either encoding.
    if (read.complete && read.bad.empty()) {
        for (const bool utf8 : {false, true}) {
            const i18n::TReadResult again =
                i18n::ReadLanguageFile(i18n::WriteLanguageFile(read.file, utf8));
            fuzz::Check(again.complete && again.bad.empty(), "a written file reads cleanly");
            fuzz::Check(again.file == WithoutEmptyItems(read.file), "and reads back the same");
        }
    }

    // What the window would do with it: tables, lexicon texts and the check.
    i18n::TTranslationTables tables;
    i18n::AddToTables(read.file, tables);
    for (const auto& [key, line] : tables.properties) {
        const std::optional<std::string> text = tables.Property(key);
        if (fuzz::IsValidUtf8(line.text) && text)
            fuzz::Check(fuzz::IsValidUtf8(*text), "expanded properties stay UTF-8");
    }
    static i18n::TLexicons lexicons;
    lexicons.SetLanguage(tables.lexicons);
    for (const i18n::TDesignedLexicon* lexicon : lexicons.All())
        for (int i = -1; i <= lexicon->Count(); ++i) {
            const std::string& text = lexicon->GetItem(i);
            if (i < 0 || i == lexicon->Count()) fuzz::Check(text.empty(), "no item outside");
        }
    const i18n::TCheckReport report = i18n::CheckLanguage(read, Template());
    for (const auto* list : {&report.lacking, &report.obsolete, &report.unreadable})
        for (const std::string& message : *list)
            fuzz::Check(fuzz::IsValidUtf8(message), "check messages are UTF-8");
    return 0;
}

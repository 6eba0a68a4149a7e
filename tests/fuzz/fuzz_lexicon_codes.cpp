// SPDX-License-Identifier: GPL-3.0-or-later
// Stored lexicon texts with '#13#10' style character-code runs, as a language
// file or a translator may write them.

#include <string>

#include "fuzz_support.h"
#include "i18n/lexicon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const std::string out = i18n::ExpandCharacterCodes(text);

    // A code takes at least as many characters as its UTF-8 form has bytes.
    fuzz::Check(out.size() <= text.size(), "expansion never grows a text");
    if (text.find('\'') == std::string_view::npos) fuzz::Check(out == text, "no run, no change");
    if (fuzz::IsValidUtf8(text)) fuzz::Check(fuzz::IsValidUtf8(out), "UTF-8 stays UTF-8");

    // The same through a lexicon whose language translates its only item.
    i18n::Translations language;
    language.Set("L", 0, std::string(text));
    const i18n::TDesignedLexicon lexicon("L", {"design"}, language);
    fuzz::Check(lexicon.GetItem(0) == out, "a lexicon expands its item");
    return 0;
}

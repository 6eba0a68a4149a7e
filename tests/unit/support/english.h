// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

#include "i18n/lang_engine.h"

namespace testing_support {

// The English lexicon items, read from the shipped lang/eng.lng.
inline i18n::Translations English() {
    i18n::TLangManEngine engine;
    engine.ListLanguages(RLC_SOURCE_DIR "/lang");
    const auto index = engine.FindCode("en");
    i18n::TTranslationTables tables;
    if (!index || !engine.Load(*index, tables))
        throw std::runtime_error("lang/eng.lng cannot be read");
    return tables.lexicons;
}

}  // namespace testing_support

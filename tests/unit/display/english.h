#pragma once

#include "i18n/english.h"

namespace display::testing {

inline i18n::Translations English() {
    return i18n::EnglishReadoutTexts();
}

}  // namespace display::testing

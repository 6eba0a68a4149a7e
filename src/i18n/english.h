#pragma once

#include "i18n/lexicon.h"

// English for the lexicon items the read-outs use, as lang/eng.lng has them:
// for tools that show read-outs without reading language files.
namespace i18n {

inline Translations EnglishReadoutTexts() {
    Translations t;
    const char* units[] = {"Hz", "Vrms", "V", "Ohm", "H", "F", "rms", "p-p", "max", "min"};
    for (int i = 0; i < 10; ++i) t.Set("Form1.Dlang3", i, units[i]);
    const char* prefixes[] = {"M", "k", "m", "u", "n", "p"};
    for (int i = 0; i < 6; ++i) t.Set("Form1.Dlang1", i, prefixes[i]);
    const char* signs[] = {"f", "r", "FV", "+", "-", "s"};
    for (int i = 0; i < 6; ++i) t.Set("Form1.D3", i, signs[i]);
    t.Set("Form1.Dlang_connect", 7, "Eco.");
    t.Set("Form1.Dlang_connect", 8, "Sleep");
    return t;
}

}  // namespace i18n

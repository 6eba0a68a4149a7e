// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "i18n/lexicon.h"

// Number texts of the read-outs. Everything here is a pure function of its
// arguments: the locale's separators and the current language's lexicons come
// in from the caller, nothing is read from the system.
namespace display {

// The user's locale separators as UTF-8 texts (for example "," and "\u00A0").
struct TSeparators {
    std::string decimal = ",";
    std::string group = "\u00A0";
};

// What every read-out text needs besides its number.
struct TTextContext {
    const i18n::TLexicons& lexicons;
    TSeparators separators;
};

// The parts joined, with one allocation. Also spares GCC 12 its false
// overlap warnings on a literal added in front of a temporary string.
template <typename... Parts>
std::string Concat(const Parts&... parts) {
    std::string text;
    text.reserve((std::string_view(parts).size() + ...));
    (text.append(std::string_view(parts)), ...);
    return text;
}

// Fixed-point text with at most `precision` significant digits and exactly
// `digits` decimals, grouped in threes; exponent form when the integer part
// needs more than `precision` digits.
std::string FormatNumber(double value, int precision, int digits, const TSeparators& separators);
// The same without thousands separators.
std::string FormatFixed(double value, int precision, int digits, const TSeparators& separators);

// Scaled number, a blank and a decimal prefix (possibly empty); the caller adds
// the unit. `value` is a magnitude. `frequencyHz` picks the decimals of the
// smallest values.
std::string FormatSiValue(double value, bool henryMode, int frequencyHz, const TTextContext& ctx);

// Resistance or impedance text in ohms, without the unit symbol.
std::string FormatRange(double value, const TTextContext& ctx);

// "мк" or "Ом" when the current language keeps exactly these texts, else the
// Greek letters.
const std::string& MicroPrefix(const i18n::TLexicons& lexicons);
const std::string& OhmSymbol(const i18n::TLexicons& lexicons);

}  // namespace display

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "log/tolerance.h"

// A reference value typed with a unit prefix ("4,7k", "100n", "10мк"): the
// letter chooses the unit beside the value box instead of being dropped by the
// number filter, which would leave 4,7 Ω for 4,7 kΩ.
namespace logcore {

// Decimal exponents of the unit lists' items, in list order.
inline constexpr std::array<int, 3> kOhmExponents{0, 3, 6};        // Ом, кОм, МОм
inline constexpr std::array<int, 3> kHenryExponents{-6, -3, 0};    // мкГн, мГн, Гн
inline constexpr std::array<int, 3> kFaradExponents{-12, -9, -6};  // пФ, нФ, мкФ
// A value without a unit (Q, D): a prefix goes into the number.
inline constexpr std::array<int, 1> kPlainExponents{0};

struct TPrefixedNumber {
    TEditedText edited;       // what the value box keeps: the number alone
    std::optional<int> unit;  // the unit item to choose; empty: the unit stays
    // The prefix was a lone Cyrillic "м": a "к" typed next turns it into "мк".
    bool cyrillicMilli = false;
};

// The value filter of NormalizeNumberText, reading a prefix letter first: p n
// u µ m k M G, and Cyrillic п н мк м к М Г (р as in "рФ", К as К). The last
// prefix in the text counts. The unit whose prefix it names is chosen and the
// number kept; where the list has no such unit, the number is written in the
// nearest unit (1G as 1000 МОм, 100m as 0,1 Ом), or, when that would not fit
// in `maxLength` characters, the letter is dropped and the unit stays.
TPrefixedNumber NormalizePrefixedNumber(const std::string& text, int caret,
                                        const std::string& decimalSeparator,
                                        std::span<const int> unitExponents, int maxLength);

}  // namespace logcore

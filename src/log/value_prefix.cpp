// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/value_prefix.h"

#include <string_view>
#include <vector>

#include "log/utf8.h"

namespace logcore {
namespace {

struct TPrefix {
    std::string_view letter;
    int exponent;
};

// Two-letter "мк" comes first so its "м" is not read as milli.
constexpr TPrefix kPrefixes[] = {{"мк", -6}, {"p", -12}, {"п", -12}, {"р", -12}, {"n", -9},
                                 {"н", -9},  {"u", -6},  {"µ", -6},  {"μ", -6},  {"m", -3},
                                 {"м", -3},  {"k", 3},   {"K", 3},   {"к", 3},   {"К", 3},
                                 {"M", 6},   {"М", 6},   {"G", 9},   {"Г", 9}};

struct TFoundPrefix {
    int exponent = 0;
    bool cyrillicMilli = false;
};

std::optional<TFoundPrefix> LastPrefix(const std::vector<std::string_view>& chars) {
    std::optional<TFoundPrefix> found;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        for (const TPrefix& p : kPrefixes) {
            const std::vector<std::string_view> letters = SplitCharacters(p.letter);
            if (i + letters.size() > chars.size()) continue;
            bool match = true;
            for (std::size_t k = 0; k < letters.size() && match; ++k)
                match = chars[i + k] == letters[k];
            if (!match) continue;
            found = TFoundPrefix{p.exponent, p.letter == "м"};
            i += letters.size() - 1;
            break;
        }
    }
    return found;
}

// The number with its decimal point moved `shift` places to the right,
// without leading or trailing zeros it does not need.
std::string ShiftPoint(const std::string& number, int shift, const std::string& separator) {
    const std::size_t at = number.find(separator);
    std::string digits = number.substr(0, at);
    int point = static_cast<int>(digits.size());
    if (at != std::string::npos) digits += number.substr(at + separator.size());
    if (digits.empty()) return {};
    point += shift;
    if (point > static_cast<int>(digits.size()))
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    std::string whole = digits.substr(0, static_cast<std::size_t>(point));
    std::string fraction = digits.substr(static_cast<std::size_t>(point));
    whole.erase(0, whole.find_first_not_of('0'));
    if (whole.empty()) whole = "0";
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return fraction.empty() ? whole : whole + separator + fraction;
}

}  // namespace

TPrefixedNumber NormalizePrefixedNumber(const std::string& text, int caret,
                                        const std::string& decimalSeparator,
                                        std::span<const int> unitExponents, int maxLength) {
    TPrefixedNumber out;
    out.edited = NormalizeNumberText(text, caret, decimalSeparator);
    const std::optional<TFoundPrefix> prefix = LastPrefix(SplitCharacters(text));
    if (!prefix || unitExponents.empty()) return out;

    // The unit of that prefix, else the largest below it (the number grows),
    // else the smallest (the number becomes a fraction).
    int unit = -1;
    for (std::size_t i = 0; i < unitExponents.size(); ++i) {
        const int e = unitExponents[i];
        if (e <= prefix->exponent &&
            (unit < 0 || e > unitExponents[static_cast<std::size_t>(unit)]))
            unit = static_cast<int>(i);
    }
    if (unit < 0) {
        unit = 0;
        for (std::size_t i = 1; i < unitExponents.size(); ++i)
            if (unitExponents[i] < unitExponents[static_cast<std::size_t>(unit)])
                unit = static_cast<int>(i);
    }
    const int shift = prefix->exponent - unitExponents[static_cast<std::size_t>(unit)];
    if (shift != 0) {
        const std::string moved = ShiftPoint(out.edited.text, shift, decimalSeparator);
        if (static_cast<int>(SplitCharacters(moved).size()) > maxLength) return out;
        out.edited.text = moved;
        out.edited.caret = static_cast<int>(SplitCharacters(moved).size());
    }
    out.unit = unit;
    out.cyrillicMilli = prefix->cyrillicMilli;
    return out;
}

}  // namespace logcore

// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/axis_ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "display/format.h"

namespace logcore {
namespace {

constexpr int kLowestExponent = -12;  // pico
constexpr int kHighestExponent = 6;   // mega
constexpr int kMostDecimals = 6;
// Plain labels up to this many in the largest prefix (99 999 MΩ); beyond it
// exponent form.
constexpr double kMostPlain = 1e5;

// 1, 2 or 5 times a power of ten, the smallest not below `raw`.
double RoundStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / power;
    // A hair of tolerance, so 2.0000000001 (from a division) counts as 2.
    const double round = m <= 1 + 1e-9 ? 1 : m <= 2 + 1e-9 ? 2 : m <= 5 + 1e-9 ? 5 : 10;
    return round * power;
}

// Ticks at whole multiples of `step` from below `low` to above `high`.
TAxisTicks Cover(double low, double high, double step) {
    TAxisTicks t;
    t.step = step;
    const double firstIndex = std::floor(low / step + 1e-9);
    const double lastIndex = std::ceil(high / step - 1e-9);
    t.first = firstIndex * step;
    t.count = std::max(2, static_cast<int>(lastIndex - firstIndex) + 1);
    return t;
}

int DecimalsFor(double step) {
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, kMostDecimals);
}

std::string Fixed(double value, int decimals, const std::string& separator) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, r.ptr);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1);  // no "-0"
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

std::string PrefixText(int exponent, const i18n::TLexicons& lex) {
    using namespace i18n::prefix;
    switch (exponent) {
        case 6:
            return lex.Dlang1.GetItem(Mega);
        case 3:
            return lex.Dlang1.GetItem(Kilo);
        case -3:
            return lex.Dlang1.GetItem(Milli);
        case -6:
            return display::MicroPrefix(lex);
        case -9:
            return lex.Dlang1.GetItem(Nano);
        case -12:
            return lex.Dlang1.GetItem(Pico);
        default:
            return {};
    }
}

}  // namespace

double TAxisTicks::Tick(int i) const {
    // From the index, so no error piles up along the axis; an exact 0 at 0.
    const double index = std::round(first / step) + i;
    return index == 0 ? 0.0 : index * step;
}

std::vector<double> TAxisTicks::Ticks() const {
    std::vector<double> out;
    for (int i = 0; i < count; ++i) out.push_back(Tick(i));
    return out;
}

TAxisTicks ValueTicks(double low, double high, int maxIntervals, bool prefixes) {
    maxIntervals = std::max(1, maxIntervals);
    if (!std::isfinite(low) || !std::isfinite(high) || low > high) {
        TAxisTicks none = Cover(0, 1, RoundStep(1.0 / maxIntervals));
        none.decimals = DecimalsFor(none.step);
        return none;
    }
    if (low == high) {
        // A single value: a hundredth of it either side (or ±1 around 0).
        const double room = low == 0 ? 1 : std::fabs(low) * 0.01;
        low -= room;
        high += room;
    }
    const double largest = std::max(std::fabs(low), std::fabs(high));
    const int magnitude = static_cast<int>(std::floor(std::log10(largest)));
    int exponent = magnitude - ((magnitude % 3) + 3) % 3;
    exponent = prefixes ? std::clamp(exponent, kLowestExponent, kHighestExponent) : 0;
    const double spread = (high - low) / maxIntervals;
    const double step = RoundStep(spread / std::pow(10.0, exponent));
    if (step >= std::pow(10.0, -kMostDecimals) && largest / std::pow(10.0, exponent) < kMostPlain) {
        TAxisTicks t = Cover(low / std::pow(10.0, exponent), high / std::pow(10.0, exponent), step);
        t.exponent = exponent;
        t.decimals = DecimalsFor(step);
        return t;
    }
    // Beyond the prefixes: exponent form. The axis is still drawn in units of
    // a power of ten, so the plot never sees a span it takes for empty (the
    // chart gives up below 1e-12) or numbers too large to draw.
    exponent = magnitude;
    const double scale = std::pow(10.0, exponent);
    const double plainStep = RoundStep(spread / scale);
    TAxisTicks t = Cover(low / scale, high / scale, plainStep);
    t.exponent = exponent;
    t.scientific = true;
    t.decimals = std::clamp(static_cast<int>(-std::floor(std::log10(plainStep) + 1e-9)), 0, 15);
    return t;
}

TAxisTicks CountTicks(long highest, int maxIntervals) {
    maxIntervals = std::max(1, maxIntervals);
    highest = std::max(1L, highest);
    const double step = std::max(1.0, RoundStep(static_cast<double>(highest) / maxIntervals));
    return Cover(0, static_cast<double>(highest), step);
}

std::vector<std::string> TickLabels(const TAxisTicks& t, const std::string& unit,
                                    const std::string& separator, const i18n::TLexicons& lex) {
    const std::string prefix = t.scientific ? std::string() : PrefixText(t.exponent, lex);
    const std::string after = prefix.empty() && unit.empty() ? std::string() : " " + prefix + unit;
    // Exponent form writes the power of ten the axis is drawn in: 3.36e-40.
    const std::string power = t.scientific ? "e" + std::to_string(t.exponent) : std::string();
    std::vector<std::string> out;
    for (const double v : t.Ticks()) out.push_back(Fixed(v, t.decimals, separator) + power + after);
    return out;
}

std::string ParameterUnit(int code, bool primary, const i18n::TLexicons& lex) {
    using namespace i18n::unit;
    if (!primary) return code == 1 ? display::OhmSymbol(lex) : std::string();
    switch (code) {
        case 1:
        case 4:
            return display::OhmSymbol(lex);
        case 2:
        case 5:
        case 6:
            return lex.Dlang3.GetItem(Farad);
        case 3:
            return lex.Dlang3.GetItem(Henry);
        default:
            return {};
    }
}

}  // namespace logcore

#include "display/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace display {
namespace {

// A non-negative number as decimal digits: value = 0.d1d2d3... × 10^pointPos.
// Leading digit non-zero; an empty digit string is zero.
struct TDecimal {
    std::string digits;
    int pointPos = 0;
};

// The shortest decimal text that reads back as the same double. Rounding works
// on this text, so 2.675 rounds to 2.68 as a user expects, not to the 2.67 that
// the binary value 2.67499999... would give.
TDecimal ToDecimal(double magnitude) {
    TDecimal d;
    if (magnitude == 0) return d;
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    if (ec != std::errc{}) return d;
    const std::string_view text(buf, static_cast<std::size_t>(end - buf));
    const std::size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (c >= '0' && c <= '9') d.digits += c;
    d.pointPos = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundTo(TDecimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    const bool up = keep >= 0 && d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(std::max(keep, 0)));
    if (!up) return;
    int i = static_cast<int>(d.digits.size()) - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
        d.digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
        ++d.digits[static_cast<std::size_t>(i)];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.pointPos;
    }
}

bool IsZero(const TDecimal& d) {
    return d.digits.find_first_not_of('0') == std::string::npos;
}

char DigitAt(const TDecimal& d, int index) {
    if (index < 0 || index >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

std::string Grouped(const std::string& integer, const std::string& group) {
    std::string out;
    const std::size_t n = integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += group;
        out += integer[i];
    }
    return out;
}

std::string FormatDecimal(double value, int precision, int digits, const TSeparators& sep,
                          bool grouped) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 2, 18);
    digits = std::clamp(digits, 0, 18);

    TDecimal d = ToDecimal(std::fabs(value));
    if (!d.digits.empty()) {
        const int decimalsKept = std::min(digits, precision - d.pointPos);
        RoundTo(d, d.pointPos + decimalsKept);
    }
    const bool zero = IsZero(d);
    const std::string sign = (value < 0 && !zero) ? "-" : "";

    if (!zero && d.pointPos > precision) {
        std::string significant = d.digits;
        while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
        std::string text = sign + significant.substr(0, 1);
        if (significant.size() > 1) text += sep.decimal + significant.substr(1);
        const int exponent = d.pointPos - 1;
        std::string expDigits = std::to_string(std::abs(exponent));
        if (digits <= 4 && static_cast<int>(expDigits.size()) < digits)
            expDigits.insert(0, static_cast<std::size_t>(digits) - expDigits.size(), '0');
        return text + "E" + (exponent < 0 ? "-" : "") + expDigits;
    }

    std::string integer;
    for (int i = 0; i < d.pointPos; ++i) integer += DigitAt(d, i);
    if (zero || integer.empty()) integer = "0";
    std::string text = sign + (grouped ? Grouped(integer, sep.group) : integer);
    if (digits > 0) {
        text += sep.decimal;
        for (int i = 0; i < digits; ++i) text += zero ? '0' : DigitAt(d, d.pointPos + i);
    }
    return text;
}

}  // namespace

std::string FormatNumber(double value, int precision, int digits, const TSeparators& separators) {
    return FormatDecimal(value, precision, digits, separators, true);
}

std::string FormatFixed(double value, int precision, int digits, const TSeparators& separators) {
    return FormatDecimal(value, precision, digits, separators, false);
}

std::string MicroPrefix(const i18n::TLexicons& lexicons) {
    const std::string designMicro = lexicons.Dlang1.DesignItem(i18n::prefix::Micro);
    return lexicons.Dlang1.GetItem(i18n::prefix::Micro) == designMicro ? designMicro : "\u03BC";
}

std::string OhmSymbol(const i18n::TLexicons& lexicons) {
    const std::string designOhm = lexicons.Dlang3.DesignItem(i18n::unit::Ohm);
    return lexicons.Dlang3.GetItem(i18n::unit::Ohm) == designOhm ? designOhm : "\u03A9";
}

std::string FormatSiValue(double x, bool henryMode, int frequencyHz, const TTextContext& ctx) {
    const i18n::TDesignedLexicon& prefixes = ctx.lexicons.Dlang1;
    double shown = x;
    int decimals = 2;
    std::string prefix;
    // Scales by 10^power with exact powers of ten: scaling down divides, so
    // 1234.56 / 10^3 lands as close to 1.23456 as a double can.
    auto scaled = [&](int power, int dec, std::string pre) {
        double factor = 1;
        for (int i = 0; i < std::abs(power); ++i) factor *= 10;
        shown = power < 0 ? x / factor : x * factor;
        decimals = dec;
        prefix = std::move(pre);
    };
    using namespace i18n::prefix;
    if (x >= 1e7) {
        scaled(-6, 3, prefixes.GetItem(Mega));
    } else if (x >= 1e6) {
        scaled(-6, 4, prefixes.GetItem(Mega));
    } else if (x >= 1e5) {
        scaled(-3, 2, prefixes.GetItem(Kilo));
    } else if (x >= 1e4) {
        scaled(-3, 3, prefixes.GetItem(Kilo));
    } else if (x >= 1e3) {
        scaled(-3, 4, prefixes.GetItem(Kilo));
    } else if (x >= 100) {
        scaled(0, 2, "");
    } else if (x >= 10) {
        scaled(0, 3, "");
    } else if (x >= 1) {
        scaled(0, 4, "");
    } else if (x >= 0.1) {
        scaled(3, 2, prefixes.GetItem(Milli));
    } else if (x >= 0.01) {
        scaled(3, 3, prefixes.GetItem(Milli));
    } else if (x >= 0.001) {
        scaled(3, 4, prefixes.GetItem(Milli));
    } else if (henryMode) {
        // Inductance goes no lower than micro.
        int dec = 4;
        if (frequencyHz == 100 || x >= 1e-4)
            dec = 2;
        else if (frequencyHz == 1000 || x >= 1e-5)
            dec = 3;
        scaled(6, dec, MicroPrefix(ctx.lexicons));
    } else if (x >= 1e-4) {
        scaled(6, 2, MicroPrefix(ctx.lexicons));
    } else if (x >= 1e-5) {
        scaled(6, 3, MicroPrefix(ctx.lexicons));
    } else if (x >= 1e-6) {
        scaled(6, 4, MicroPrefix(ctx.lexicons));
    } else if (x >= 1e-7) {
        scaled(9, 2, prefixes.GetItem(Nano));
    } else if (x >= 1e-8) {
        scaled(9, 3, prefixes.GetItem(Nano));
    } else if (x >= 1e-9) {
        scaled(9, 4, prefixes.GetItem(Nano));
    } else if (x >= 1e-10) {
        scaled(12, 2, prefixes.GetItem(Pico));
    } else {
        int dec = 4;
        if (frequencyHz == 100)
            dec = 2;
        else if (x >= 1e-11 || frequencyHz == 1000)
            dec = 3;
        scaled(12, dec, prefixes.GetItem(Pico));
    }
    return FormatNumber(shown, 5, decimals, ctx.separators) + " " + prefix;
}

std::string FormatRange(double x, const TTextContext& ctx) {
    if (x > 2e7)
        return ">20" + ctx.separators.decimal + "00 " +
               ctx.lexicons.Dlang1.GetItem(i18n::prefix::Mega);
    if (x < 1) return FormatNumber(x, 5, 4, ctx.separators) + " ";
    if (x < 10) return FormatNumber(x, 5, 3, ctx.separators) + " ";
    return FormatSiValue(x, false, 0, ctx);
}

}  // namespace display

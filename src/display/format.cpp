// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace display {
namespace {

// A non-negative number as decimal digits: value = 0.d1d2d3... × 10^pointPos.
// Leading digit non-zero; no digits is zero. Rounding may add one digit in
// front, so there is room for one more than a double's 17.
struct TDecimal {
    char digits[24];
    int count = 0;
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
    const char* p = buf;
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && d.count < 20) d.digits[d.count++] = *p;
    int exponent = 0;
    if (p < end) {
        const char* e = p + 1;
        if (e < end && *e == '+') ++e;  // from_chars takes no plus sign
        std::from_chars(e, end, exponent);
    }
    d.pointPos = exponent + 1;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundTo(TDecimal& d, int keep) {
    if (keep >= d.count) return;
    const bool up = keep >= 0 && d.digits[keep] >= '5';
    d.count = std::max(keep, 0);
    if (!up) return;
    int i = d.count - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
        ++d.digits[i];
    } else {
        std::memmove(d.digits + 1, d.digits, static_cast<std::size_t>(d.count));
        d.digits[0] = '1';
        ++d.count;
        ++d.pointPos;
    }
}

bool IsZero(const TDecimal& d) {
    for (int i = 0; i < d.count; ++i)
        if (d.digits[i] != '0') return false;
    return true;
}

char DigitAt(const TDecimal& d, int index) {
    if (index < 0 || index >= d.count) return '0';
    return d.digits[index];
}

// Exact powers of ten as doubles (10^22 is the last one a double holds exactly).
constexpr std::array<double, 23> kPowersOfTen = [] {
    std::array<double, 23> p{};
    double v = 1;
    for (double& x : p) {
        x = v;
        v *= 10;
    }
    return p;
}();

// The common case of ToDecimal + RoundTo without the shortest text: the digits
// kept, scaled to an integer, are far enough from a rounding tie that the
// shortest text and the double itself round alike. Returns false (and leaves
// the slow path to decide) near a tie, for few kept digits and outside the
// range of exact powers of ten.
bool RoundedQuickly(double magnitude, int precision, int digits, TDecimal& d) {
    if (!(magnitude >= 1e-15 && magnitude < 1e15)) return false;
    // 10^(pointPos - 1) <= magnitude < 10^pointPos, by exact comparisons.
    int pointPos = 1;
    if (magnitude >= 1) {
        while (pointPos < 16 && magnitude >= kPowersOfTen[static_cast<std::size_t>(pointPos)])
            ++pointPos;
    } else {
        pointPos = 0;
        while (magnitude * kPowersOfTen[static_cast<std::size_t>(-pointPos + 1)] < 1) --pointPos;
        // The products are rounded: leave a value this close to a power of ten
        // to the slow path.
        const double lower = magnitude * kPowersOfTen[static_cast<std::size_t>(-pointPos + 1)];
        const double upper = magnitude * kPowersOfTen[static_cast<std::size_t>(-pointPos)];
        if (lower < 1 + 1e-12 || upper > 1 - 1e-12) return false;
    }
    const int keep = pointPos + std::min(digits, precision - pointPos);
    if (keep < 1 || keep > 12) return false;
    const int shift = keep - pointPos;  // scale so the kept digits are the integer part
    if (std::abs(shift) > 22) return false;
    const double scaled = shift >= 0 ? magnitude * kPowersOfTen[static_cast<std::size_t>(shift)]
                                     : magnitude / kPowersOfTen[static_cast<std::size_t>(-shift)];
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-3) return false;
    auto rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, rounded).ptr;
    d.count = static_cast<int>(end - buf);
    if (d.count != keep && d.count != keep + 1) return false;  // scaling was off: be safe
    std::memcpy(d.digits, buf, static_cast<std::size_t>(d.count));
    d.pointPos = pointPos + (d.count - keep);  // a carry adds a digit in front
    return true;
}

// Text under construction on the stack; separators are short UTF-8 texts.
class TTextBuffer {
  public:
    void Put(char c) {
        if (n_ < sizeof buf_) buf_[n_++] = c;
    }
    void Put(const char* s, std::size_t count) {
        count = std::min(count, sizeof buf_ - n_);
        std::memcpy(buf_ + n_, s, count);
        n_ += count;
    }
    void Put(const std::string& s) { Put(s.data(), s.size()); }
    std::string Text() const { return std::string(buf_, n_); }

  private:
    char buf_[160];
    std::size_t n_ = 0;
};

std::string FormatDecimal(double value, int precision, int digits, const TSeparators& sep,
                          bool grouped) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 2, 18);
    digits = std::clamp(digits, 0, 18);

    TDecimal d;
    if (!RoundedQuickly(std::fabs(value), precision, digits, d)) {
        d = ToDecimal(std::fabs(value));
        if (d.count > 0) {
            const int decimalsKept = std::min(digits, precision - d.pointPos);
            RoundTo(d, d.pointPos + decimalsKept);
        }
    }
    const bool zero = IsZero(d);
    TTextBuffer text;
    if (value < 0 && !zero) text.Put('-');

    if (!zero && d.pointPos > precision) {
        int significant = d.count;
        while (significant > 1 && d.digits[significant - 1] == '0') --significant;
        text.Put(d.digits[0]);
        if (significant > 1) {
            text.Put(sep.decimal);
            text.Put(d.digits + 1, static_cast<std::size_t>(significant - 1));
        }
        const int exponent = d.pointPos - 1;
        char expDigits[16];
        const auto expEnd =
            std::to_chars(expDigits, expDigits + sizeof expDigits, std::abs(exponent)).ptr;
        const int expCount = static_cast<int>(expEnd - expDigits);
        text.Put('E');
        if (exponent < 0) text.Put('-');
        if (digits <= 4)
            for (int i = expCount; i < digits; ++i) text.Put('0');
        text.Put(expDigits, static_cast<std::size_t>(expCount));
        return text.Text();
    }

    // Integer part, grouped in threes from the right.
    const int integerDigits = zero ? 0 : std::max(d.pointPos, 0);
    if (integerDigits == 0) {
        text.Put('0');
    } else {
        for (int i = 0; i < integerDigits; ++i) {
            if (grouped && i > 0 && (integerDigits - i) % 3 == 0) text.Put(sep.group);
            text.Put(DigitAt(d, i));
        }
    }
    if (digits > 0) {
        text.Put(sep.decimal);
        for (int i = 0; i < digits; ++i) text.Put(zero ? '0' : DigitAt(d, d.pointPos + i));
    }
    return text.Text();
}

}  // namespace

std::string FormatNumber(double value, int precision, int digits, const TSeparators& separators) {
    return FormatDecimal(value, precision, digits, separators, true);
}

std::string FormatFixed(double value, int precision, int digits, const TSeparators& separators) {
    return FormatDecimal(value, precision, digits, separators, false);
}

const std::string& MicroPrefix(const i18n::TLexicons& lexicons) {
    static const std::string greek = "\u03BC";
    const std::string& designMicro = lexicons.Dlang1.DesignItem(i18n::prefix::Micro);
    return lexicons.Dlang1.GetItem(i18n::prefix::Micro) == designMicro ? designMicro : greek;
}

const std::string& OhmSymbol(const i18n::TLexicons& lexicons) {
    static const std::string greek = "\u03A9";
    const std::string& designOhm = lexicons.Dlang3.DesignItem(i18n::unit::Ohm);
    return lexicons.Dlang3.GetItem(i18n::unit::Ohm) == designOhm ? designOhm : greek;
}

std::string FormatSiValue(double x, bool henryMode, int frequencyHz, const TTextContext& ctx) {
    const i18n::TDesignedLexicon& prefixes = ctx.lexicons.Dlang1;
    double shown = x;
    int decimals = 2;
    static const std::string none;
    const std::string* prefix = &none;
    // Scales by 10^power with exact powers of ten: scaling down divides, so
    // 1234.56 / 10^3 lands as close to 1.23456 as a double can.
    auto scaled = [&](int power, int dec, const std::string& pre) {
        double factor = 1;
        for (int i = 0; i < std::abs(power); ++i) factor *= 10;
        shown = power < 0 ? x / factor : x * factor;
        decimals = dec;
        prefix = &pre;
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
        scaled(0, 2, none);
    } else if (x >= 10) {
        scaled(0, 3, none);
    } else if (x >= 1) {
        scaled(0, 4, none);
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
    std::string text = FormatNumber(shown, 5, decimals, ctx.separators);
    text += ' ';
    text += *prefix;
    return text;
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

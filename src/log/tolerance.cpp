// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/tolerance.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "display/format.h"
#include "log/utf8.h"

namespace logcore {
namespace {

constexpr double kTwoPi = 6.283185307179586477;

constexpr std::array<double, 3> kOhmFactors{1, 1e3, 1e6};
constexpr std::array<double, 3> kHenryFactors{1e-6, 1e-3, 1};
constexpr std::array<double, 3> kFaradFactors{1e-12, 1e-9, 1e-6};

std::optional<double> Factor(const std::array<double, 3>& table, int index) {
    if (index < 0 || index >= static_cast<int>(table.size())) return std::nullopt;
    return table[static_cast<std::size_t>(index)];
}

bool IsDigit(std::string_view c) {
    return c.size() == 1 && c[0] >= '0' && c[0] <= '9';
}

// How a tolerance text sorts.
struct TLimit {
    enum Kind { Below, Above, Percent, Invalid } kind = Invalid;
    double percent = 0;
};

// The text cut to eight characters; one character must be "<" or ">"; else a
// final "%" becomes a blank and the rest must be a number.
TLimit ParseLimit(const std::string& text, const std::string& separator) {
    std::vector<std::string_view> chars = SplitCharacters(text);
    if (chars.size() > 8) chars.resize(8);
    if (chars.size() == 1) {
        if (chars[0] == "<") return {TLimit::Below, 0};
        if (chars[0] == ">") return {TLimit::Above, 0};
        return {};
    }
    std::string cut;
    for (std::string_view c : chars) cut += c;
    if (!cut.empty() && cut.back() == '%') cut.back() = ' ';
    const std::optional<double> percent = ParseLocaleNumber(cut, separator);
    if (!percent) return {};
    return {TLimit::Percent, *percent};
}

// Reject when the reading breaks the limit; a comparison with a value that is
// not a number rejects too.
bool Rejects(const TLimit& limit, double measured, double reference, double deviation) {
    switch (limit.kind) {
        case TLimit::Below:
            return !(measured <= reference);
        case TLimit::Above:
            return !(measured >= reference);
        case TLimit::Percent:
            return !(std::fabs(deviation) <= limit.percent);
        case TLimit::Invalid:
            break;
    }
    return true;
}

// One side of the check, compared in the quantity the user typed.
struct TSide {
    double measured = 0;
    double reference = 0;
    double deviation = 0;
};

std::optional<TSide> PrimarySide(const TReferenceInput& in, const TMeasured& m) {
    const std::optional<double> typed = ParseLocaleNumber(in.E2, in.decimalSeparator);
    if (!typed) return std::nullopt;
    const double omega = m.FrequencyHz * kTwoPi;
    const double reactance = m.Series ? m.Xs : m.Xp;
    TSide s;
    switch (in.CBox2) {
        case primary::R: {
            const auto f = Factor(kOhmFactors, in.CBox1);
            if (!f) return std::nullopt;
            s.reference = *typed * *f;
            s.measured = m.Series ? m.Rs : m.Rp;
            break;
        }
        case primary::L: {
            // Reactances: the reference inductance at the test frequency.
            const auto f = Factor(kHenryFactors, in.CBox3);
            if (!f) return std::nullopt;
            s.reference = omega * *typed * *f;
            s.measured = reactance;
            break;
        }
        case primary::C: {
            // Capacitances, so the deviation is relative to the reference part
            // as for R and L; a zero reactance is an unbounded capacitance.
            const auto f = Factor(kFaradFactors, in.CBox4);
            if (!f) return std::nullopt;
            if (omega * *typed * *f == 0) return std::nullopt;
            s.reference = *typed * *f;
            s.measured =
                reactance == 0 ? std::numeric_limits<double>::infinity() : 1 / (omega * reactance);
            break;
        }
        default:
            return std::nullopt;
    }
    if (s.reference == 0) return std::nullopt;
    s.deviation = (s.measured - s.reference) / std::fabs(s.reference) * 100;
    return s;
}

std::optional<TSide> SecondarySide(const TReferenceInput& in, const TMeasured& m) {
    const std::optional<double> typed = ParseLocaleNumber(in.E11, in.decimalSeparator);
    if (!typed) return std::nullopt;
    TSide s;
    s.reference = *typed;
    switch (in.CBox11) {
        case secondary::R: {
            const auto f = Factor(kOhmFactors, in.CBox31);
            if (!f) return std::nullopt;
            s.reference *= *f;
            s.measured = m.Series ? m.Rs : m.Rp;
            break;
        }
        case secondary::Q:  // always from the series values
            if (m.Rs == 0) return std::nullopt;
            s.measured = std::fabs(m.Xs / m.Rs);
            break;
        case secondary::D:
            if (m.Xs == 0) return std::nullopt;
            s.measured = std::fabs(m.Rs / m.Xs);
            break;
        default:
            return std::nullopt;
    }
    if (s.reference == 0) return std::nullopt;
    s.deviation = (s.measured - s.reference) / s.reference * 100;
    return s;
}

// Digits, and the separator once where it is not the first character.
TEditedText FilterNumber(const std::string& text, int caret, const std::string& separator) {
    TEditedText out;
    bool separatorKept = false;
    int index = 0;
    int keptBeforeCaret = 0;
    for (std::string_view c : SplitCharacters(text)) {
        bool keep = IsDigit(c);
        if (!keep && !separatorKept && index > 0 && c == separator) {
            keep = true;
            separatorKept = true;
        }
        if (keep) {
            out.text += c;
            if (index < caret) ++keptBeforeCaret;
        }
        ++index;
    }
    out.caret = keptBeforeCaret;
    return out;
}

}  // namespace

TMeasured MeasuredFrom(const protocol::TMeterState& state,
                       const protocol::TMeterSettings& settings) {
    return {state.Rs,
            state.Xs,
            state.Rp,
            state.Xp,
            static_cast<double>(state.FrequencyHz),
            settings.Series() == 1};
}

TToleranceResult CheckTolerance(const TReferenceInput& in, const TMeasured& m) {
    using namespace protocol::verdict;
    TToleranceResult r;
    if (in.PrimaryOn()) {
        const std::optional<TSide> side = PrimarySide(in, m);
        if (!side) return {InvalidInput, std::nullopt, std::nullopt};
        r.primaryDeviation = side->deviation;
        const TLimit limit = ParseLimit(in.CBox5, in.decimalSeparator);
        if (limit.kind == TLimit::Invalid) return {InvalidInput, r.primaryDeviation, std::nullopt};
        if (Rejects(limit, side->measured, side->reference, side->deviation))
            r.verdict = PrimaryOut;
    }
    if (in.SecondaryOn()) {
        const std::optional<TSide> side = SecondarySide(in, m);
        if (!side) return {InvalidInput, r.primaryDeviation, std::nullopt};
        r.secondaryDeviation = side->deviation;
        const std::vector<std::string_view> chars = SplitCharacters(in.CBox51);
        const TLimit limit = ParseLimit(in.CBox51, in.decimalSeparator);
        if (limit.kind == TLimit::Invalid) {
            // A lone unknown sign counts as the secondary being out; any other
            // text that is not a number is invalid input.
            r.verdict = chars.size() == 1 ? SecondaryOut : InvalidInput;
            return r;
        }
        if (Rejects(limit, side->measured, side->reference, side->deviation)) r.verdict += 2;
    }
    return r;
}

TEditedText NormalizeNumberText(const std::string& text, int caret,
                                const std::string& decimalSeparator) {
    return FilterNumber(text, caret, decimalSeparator);
}

TEditedText NormalizeToleranceText(const std::string& text, int caret, const std::string& offText,
                                   const std::string& decimalSeparator) {
    if (text == offText || text == ">" || text == "<") return {text, caret};
    TEditedText out = FilterNumber(text, caret, decimalSeparator);
    out.text += "%";
    return out;
}

bool ToleranceHoldsLimit(const std::string& text, const std::string& offText,
                         const std::string& decimalSeparator) {
    return text == offText || ParseLimit(text, decimalSeparator).kind != TLimit::Invalid;
}

std::vector<std::string> ToleranceListItems(const std::string& offText,
                                            const std::string& decimalSeparator) {
    return {offText,
            "0" + decimalSeparator + "2%",
            "0" + decimalSeparator + "3%",
            "0" + decimalSeparator + "5%",
            "1%",
            "2%",
            "3%",
            "5%",
            "10%",
            "20%",
            ">",
            "<"};
}

std::string DeviationText(double percent, const std::string& decimalSeparator) {
    return display::FormatFixed(percent, 4, 2, {decimalSeparator, ""});
}

std::optional<double> ParseLocaleNumber(const std::string& text,
                                        const std::string& decimalSeparator) {
    // Rewritten to the C form, checked character by character.
    std::string plain;
    bool digitSeen = false;
    bool pointSeen = false;
    bool exponentSeen = false;
    bool exponentDigit = false;
    std::vector<std::string_view> chars = SplitCharacters(text);
    std::size_t begin = 0;
    std::size_t end = chars.size();
    while (begin < end && chars[begin] == " ") ++begin;
    while (end > begin && chars[end - 1] == " ") --end;
    for (std::size_t i = begin; i < end; ++i) {
        const std::string_view c = chars[i];
        const bool leading = i == begin;
        const bool afterExponent = exponentSeen && plain.back() == 'e';
        if (IsDigit(c)) {
            plain += c;
            (exponentSeen ? exponentDigit : digitSeen) = true;
        } else if (c == "-" && (leading || afterExponent)) {
            plain += '-';
        } else if (c == "+" && leading) {
            // from_chars takes no leading plus
        } else if (c == "+" && afterExponent) {
            plain += '+';
        } else if (c == decimalSeparator && !pointSeen && !exponentSeen) {
            plain += '.';
            pointSeen = true;
        } else if ((c == "e" || c == "E") && digitSeen && !exponentSeen) {
            plain += 'e';
            exponentSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digitSeen || (exponentSeen && !exponentDigit)) return std::nullopt;
    double value = 0;
    const char* first = plain.data();
    const char* last = plain.data() + plain.size();
    auto [stop, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || stop != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

double TToleranceBand::Lower() const {
    return reference - std::fabs(reference) * percent / 100;
}
double TToleranceBand::Upper() const {
    return reference + std::fabs(reference) * percent / 100;
}

std::optional<double> PrimaryDeviation(const TReferenceInput& in, const TMeasured& m) {
    const std::optional<TSide> side = PrimarySide(in, m);
    if (!side || !std::isfinite(side->deviation)) return std::nullopt;
    return side->deviation;
}

std::optional<double> PrimaryReference(const TReferenceInput& in) {
    const std::optional<double> typed = ParseLocaleNumber(in.E2, in.decimalSeparator);
    if (!typed) return std::nullopt;
    std::optional<double> factor;
    switch (in.CBox2) {
        case primary::R:
            factor = Factor(kOhmFactors, in.CBox1);
            break;
        case primary::L:
            factor = Factor(kHenryFactors, in.CBox3);
            break;
        case primary::C:
            factor = Factor(kFaradFactors, in.CBox4);
            break;
        default:
            break;
    }
    if (!factor || *typed * *factor == 0) return std::nullopt;
    return *typed * *factor;
}

std::optional<TToleranceBand> PrimaryBand(const TReferenceInput& in) {
    if (!in.PrimaryOn()) return std::nullopt;
    const TLimit limit = ParseLimit(in.CBox5, in.decimalSeparator);
    const std::optional<double> reference = PrimaryReference(in);
    if (limit.kind != TLimit::Percent || !reference) return std::nullopt;
    return TToleranceBand{in.CBox2, *reference, limit.percent};
}

std::optional<TToleranceBand> SecondaryBand(const TReferenceInput& in) {
    if (!in.SecondaryOn()) return std::nullopt;
    const TLimit limit = ParseLimit(in.CBox51, in.decimalSeparator);
    const std::optional<double> typed = ParseLocaleNumber(in.E11, in.decimalSeparator);
    if (limit.kind != TLimit::Percent || !typed) return std::nullopt;
    std::optional<double> factor = 1.0;
    if (in.CBox11 == secondary::R)
        factor = Factor(kOhmFactors, in.CBox31);
    else if (in.CBox11 != secondary::Q && in.CBox11 != secondary::D)
        factor.reset();
    if (!factor || *typed * *factor == 0) return std::nullopt;
    return TToleranceBand{in.CBox11, *typed * *factor, limit.percent};
}

std::optional<bool> SecondaryRejectsValue(const TReferenceInput& in, double value) {
    if (!in.SecondaryOn()) return std::nullopt;
    const TLimit limit = ParseLimit(in.CBox51, in.decimalSeparator);
    const std::optional<double> typed = ParseLocaleNumber(in.E11, in.decimalSeparator);
    if (limit.kind == TLimit::Invalid || !typed) return std::nullopt;
    double reference = *typed;
    if (in.CBox11 == secondary::R) {
        const auto f = Factor(kOhmFactors, in.CBox31);
        if (!f) return std::nullopt;
        reference *= *f;
    } else if (in.CBox11 != secondary::Q && in.CBox11 != secondary::D) {
        return std::nullopt;
    }
    if (reference == 0) return std::nullopt;
    return Rejects(limit, value, reference, (value - reference) / reference * 100);
}

}  // namespace logcore

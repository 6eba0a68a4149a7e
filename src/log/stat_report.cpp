// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/stat_report.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "log/axis_ticks.h"
#include "log/journal.h"

namespace logcore {
namespace {

using namespace i18n;

std::string WithSeparator(std::string text, const std::string& separator) {
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, separator);
    return text;
}

// Locale-free number texts: the C library's printf would follow LC_NUMERIC.
std::string Fixed(double value, int decimals, const std::string& separator) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return WithSeparator(std::string(buf, r.ptr), separator);
}

std::string Count(long n) {
    return std::to_string(n);
}

std::string Optional(const std::optional<double>& v, const TLexicons& lex, const auto& format) {
    if (!v) return lex.Dstat.GetItem(stat::NotDefined);
    return format(*v);
}

void AddValueLines(std::vector<TFigureLine>& lines, const TValueFigures& f, int side,
                   const TLexicons& lex, const std::string& sep) {
    const std::string head = lex.Dstat.GetItem(side) + ": ";
    const std::string unit = ParameterUnit(f.parameter, side == stat::Primary, lex);
    auto value = [&](double v) { return StatValueText(v, sep, lex, unit); };
    auto ratio = [&](double v) { return Fixed(v, 3, sep); };
    lines.push_back({head + lex.Dstat.GetItem(stat::Mean), Optional(f.mean, lex, value)});
    lines.push_back({head + lex.Dstat.GetItem(stat::StdDev), Optional(f.stdDev, lex, value)});
    lines.push_back({head + lex.Dstat.GetItem(stat::Minimum), Optional(f.min, lex, value)});
    lines.push_back({head + lex.Dstat.GetItem(stat::Maximum), Optional(f.max, lex, value)});
    lines.push_back({head + lex.Dstat.GetItem(stat::Cp), Optional(f.cp, lex, ratio)});
    lines.push_back({head + lex.Dstat.GetItem(stat::Cpk), Optional(f.cpk, lex, ratio)});
}

std::string JsonNumber(const std::optional<double>& v) {
    if (!v || !std::isfinite(*v)) return "null";
    return JournalNumber(*v);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonValues(const TValueFigures& f) {
    std::string band = "null";
    if (f.band)
        band = "{\"reference\": " + JsonNumber(f.band->reference) +
               ", \"tolerance_percent\": " + JsonNumber(f.band->percent) +
               ", \"lower\": " + JsonNumber(f.band->Lower()) +
               ", \"upper\": " + JsonNumber(f.band->Upper()) + "}";
    return "{\"count\": " + std::to_string(f.count) + ", \"mean\": " + JsonNumber(f.mean) +
           ", \"stddev\": " + JsonNumber(f.stdDev) + ", \"min\": " + JsonNumber(f.min) +
           ", \"max\": " + JsonNumber(f.max) + ", \"band\": " + band +
           ", \"cp\": " + JsonNumber(f.cp) + ", \"cpk\": " + JsonNumber(f.cpk) + "}";
}

std::string JsonFigures(const TFigures& f) {
    const TVerdictCounts& c = f.counts;
    return "\"rows\": " + std::to_string(c.count) + ", \"passed\": " + std::to_string(c.passed) +
           ", \"rejected\": " + std::to_string(c.Rejected()) +
           ", \"primary_out\": " + std::to_string(c.primaryOut) +
           ", \"secondary_out\": " + std::to_string(c.secondaryOut) +
           ", \"both_out\": " + std::to_string(c.bothOut) +
           ", \"invalid\": " + std::to_string(c.invalid) +
           ", \"yield_percent\": " + JsonNumber(c.YieldPercent()) +
           ", \"primary\": " + JsonValues(f.primary) +
           ", \"secondary\": " + JsonValues(f.secondary);
}

}  // namespace

std::string StatValueText(double value, const std::string& separator, const TLexicons& lex,
                          const std::string& unit) {
    if (!std::isfinite(value)) return lex.Dstat.GetItem(stat::NotDefined);
    const std::string plainUnit = unit.empty() ? unit : " " + unit;
    if (value == 0) return Fixed(0, 5, separator) + plainUnit;
    // Prefix items of Dlang1 by power of a thousand: M k (none) m u n p.
    constexpr std::array<int, 7> kPrefixItems{
        prefix::Mega, prefix::Kilo, -1, prefix::Milli, prefix::Micro, prefix::Nano, prefix::Pico};
    int exponent3 = static_cast<int>(std::floor(std::log10(std::fabs(value)) / 3)) * 3;
    if (exponent3 > 6 || exponent3 < -12) {
        char buf[64];
        const auto r =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 5);
        return WithSeparator(std::string(buf, r.ptr), separator) + plainUnit;
    }
    double mantissa = value / std::pow(10.0, exponent3);
    int integerDigits = static_cast<int>(std::floor(std::log10(std::fabs(mantissa)))) + 1;
    const int decimals = std::max(0, 6 - integerDigits);
    std::string text = Fixed(mantissa, decimals, separator);
    // Rounding may carry into a fourth integer digit: 999.9995 -> 1000.00.
    const double scale = std::pow(10.0, decimals);
    if (std::fabs(std::round(mantissa * scale) / scale) >= 1000 && exponent3 < 6) {
        exponent3 += 3;
        mantissa /= 1000;
        text = Fixed(mantissa, 5, separator);
    }
    const int item = kPrefixItems[static_cast<std::size_t>((6 - exponent3) / 3)];
    return item < 0 ? text + plainUnit : text + " " + lex.Dlang1.GetItem(item) + unit;
}

std::vector<TFigureLine> FigureLines(const TFigures& f, const TLexicons& lex,
                                     const std::string& sep) {
    const TVerdictCounts& c = f.counts;
    const auto& d = lex.Dstat;
    std::vector<TFigureLine> lines{
        {d.GetItem(stat::Rows), Count(c.count)},
        {d.GetItem(stat::Passed), Count(c.passed)},
        {d.GetItem(stat::Rejected), Count(c.Rejected())},
        {"  " + d.GetItem(stat::PrimaryOut), Count(c.primaryOut)},
        {"  " + d.GetItem(stat::SecondaryOut), Count(c.secondaryOut)},
        {"  " + d.GetItem(stat::BothOut), Count(c.bothOut)},
        {d.GetItem(stat::Invalid), Count(c.invalid)},
        {d.GetItem(stat::Yield),
         Optional(c.YieldPercent(), lex, [&](double v) { return Fixed(v, 2, sep); })},
    };
    AddValueLines(lines, f.primary, stat::Primary, lex, sep);
    AddValueLines(lines, f.secondary, stat::Secondary, lex, sep);
    return lines;
}

std::string EntryHeading(long entry, const std::string& name) {
    return name.empty() ? std::to_string(entry) : std::to_string(entry) + " " + name;
}

std::string StatisticsText(const TStatistics& s, const TLexicons& lex, const std::string& sep) {
    std::string out;
    auto block = [&](const std::string& heading, const TFigures& f) {
        out += heading + "\n";
        for (const TFigureLine& line : FigureLines(f, lex, sep))
            out += "  " + line.label + ": " + line.value + "\n";
    };
    block(lex.Dstat.GetItem(stat::All), s.All().Figures());
    for (const auto& [number, entry] : s.Entries())
        block(EntryHeading(number, entry.name), entry.figures.Figures());
    return out;
}

std::string StatisticsJson(const TStatistics& s) {
    std::string out = "{\"all\": {" + JsonFigures(s.All().Figures()) + "}, \"entries\": [";
    bool first = true;
    for (const auto& [number, entry] : s.Entries()) {
        if (!first) out += ", ";
        first = false;
        out += "{\"entry\": " + std::to_string(number) + ", \"name\": " + JsonString(entry.name) +
               ", " + JsonFigures(entry.figures.Figures()) + "}";
    }
    return out + "]}\n";
}

}  // namespace logcore

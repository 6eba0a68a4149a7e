// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/si_sheet.h"

#include <cmath>

namespace exporter {
namespace {

// Lexicon Dexport: the headers first, then the sheet's name.
constexpr int kSheetNameItem = kSiColumns;

TCell Number(double v) {
    if (!std::isfinite(v)) return TBlank{};
    return TNumber{v};
}

TCell Number(const std::optional<double>& v) {
    return v ? Number(*v) : TCell{TBlank{}};
}

// The symbol before the first blank of a shown reading: "C 4,700 нФ" -> "C".
TCell Symbol(std::string_view reading) {
    const std::string_view symbol = reading.substr(0, reading.find(' '));
    if (symbol.empty()) return TBlank{};
    return TText{symbol};
}

TCell Deviation(std::string_view text, std::string_view decimal) {
    double v = 0;
    if (!ParseLocaleNumber(text, decimal, v)) return TBlank{};
    return Number(v);
}

TCell Time(const logcore::TLocalTime& t) {
    return TDateTime{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond};
}

}  // namespace

TSiHeaders SiHeaders(const i18n::TLexicons& lexicons) {
    TSiHeaders headers;
    for (int c = 0; c < kSiColumns; ++c)
        headers[static_cast<std::size_t>(c)] = lexicons.Dexport.GetItem(c);
    return headers;
}

std::string SiSheetName(const i18n::TLexicons& lexicons) {
    return lexicons.Dexport.GetItem(kSheetNameItem);
}

TSiRow SiRow(std::span<const std::string, kSheetColumns> cells, const TMeasured& m,
             std::string_view decimal) {
    TSiRow row;
    row.fill(TBlank{});
    double position = 0;
    if (ParseLocaleNumber(cells[0], decimal, position)) row[kSiPosition] = TNumber{position};
    if (m.mode == logcore::TLogMode::Multi && !cells[kDateTimeColumn].empty())
        row[kSiName] = TText{cells[kDateTimeColumn]};
    row[kSiTime] = Time(m.time);
    row[kSiPrimaryParameter] = Symbol(cells[2]);
    row[kSiPrimary] = Number(m.primary);
    row[kSiSecondaryParameter] = Symbol(cells[3]);
    row[kSiSecondary] = Number(m.secondary);
    row[kSiRs] = Number(m.Rs);
    row[kSiXs] = Number(m.Xs);
    row[kSiRp] = Number(m.Rp);
    row[kSiXp] = Number(m.Xp);
    row[kSiFrequency] = Number(m.frequencyHz);
    row[kSiPrimaryDeviation] = Deviation(cells[8], decimal);
    row[kSiSecondaryDeviation] = Deviation(cells[9], decimal);
    if (!cells[7].empty()) row[kSiVerdict] = TNumber{static_cast<double>(m.verdict)};
    return row;
}

}  // namespace exporter

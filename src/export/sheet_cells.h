// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

// How a log-table cell goes into the spreadsheet. The table holds texts; a
// spreadsheet user expects numbers to be numbers and the time stamp to be a
// date, so those are converted and everything else is kept as written.
namespace exporter {

inline constexpr int kSheetColumns = 10;
using TGridRow = std::array<std::string, kSheetColumns>;

// Column of the single-part layout that holds the date and time of a row.
inline constexpr int kDateTimeColumn = 1;
inline constexpr int kPositionColumn = 0;
inline constexpr int kPrimaryDeviationColumn = 8;
inline constexpr int kSecondaryDeviationColumn = 9;

// The columns whose number-like texts become numbers: the position and the
// two deviations. The readings, settings and marks stay texts whatever they
// look like.
bool IsNumberColumn(int column);

struct TBlank {};
struct TText {
    std::string_view text;
};
struct TNumber {
    double value = 0;
};
struct TDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int millisecond = 0;
    friend bool operator==(const TDateTime&, const TDateTime&) = default;
};
using TCell = std::variant<TBlank, TText, TNumber, TDateTime>;

// `decimal`: the locale's decimal separator as UTF-8. A whole text of an
// optional minus, digits with at most one separator and an optional exponent
// ("12,35", "-0,50", "40", "1,235E4") is a number; group separators are not
// taken, so "1 000" stays text.
bool ParseLocaleNumber(std::string_view text, std::string_view decimal, double& value);

// "dd.mm.yy hh:mm:ss" with any one-character time separator; years 00..99
// are 2000..2099. Impossible dates and times are not taken.
bool ParseLogDateTime(std::string_view text, TDateTime& value);

// Row 0 is the header row: its texts stay texts. In data rows the date-time
// column holds a time stamp (single-part rows) or a name (multi rows); a
// name stays text, as does every column that is not a number column.
TCell ClassifyCell(std::string_view text, int row, int column, std::string_view decimal);

}  // namespace exporter

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sheet_cells.h"

#include <charconv>

namespace exporter {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two digits at `at`, or -1.
int TwoDigits(std::string_view s, std::size_t at) {
    if (at + 2 > s.size() || !IsDigit(s[at]) || !IsDigit(s[at + 1])) return -1;
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

bool IsNumberColumn(int column) {
    return column == kPositionColumn || column == kPrimaryDeviationColumn ||
           column == kSecondaryDeviationColumn;
}

bool ParseLocaleNumber(std::string_view text, std::string_view decimal, double& value) {
    // Built in a small buffer: this runs for every cell of an export, and
    // most cells fail on their first character.
    char plain[64];
    std::size_t n = 0;
    if (text.empty() || text.size() >= sizeof plain) return false;
    std::size_t i = 0;
    if (text[i] == '-') plain[n++] = text[i++];
    std::size_t mantissaDigits = 0;
    bool separatorSeen = false;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            plain[n++] = text[i++];
            ++mantissaDigits;
        } else if (!separatorSeen && !decimal.empty() && text.substr(i).starts_with(decimal)) {
            plain[n++] = '.';
            i += decimal.size();
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        plain[n++] = 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain[n++] = text[i++];
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            plain[n++] = text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
    }
    if (i != text.size()) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(plain, plain + n, v);
    if (ec != std::errc{} || end != plain + n) return false;
    value = v;
    return true;
}

bool ParseLogDateTime(std::string_view s, TDateTime& out) {
    // dd.mm.yy hh:mm:ss
    if (s.size() != 17 || s[2] != '.' || s[5] != '.' || s[8] != ' ') return false;
    const char sep = s[11];
    if (IsDigit(sep) || s[14] != sep) return false;
    TDateTime t;
    t.day = TwoDigits(s, 0);
    t.month = TwoDigits(s, 3);
    const int yy = TwoDigits(s, 6);
    t.hour = TwoDigits(s, 9);
    t.minute = TwoDigits(s, 12);
    t.second = TwoDigits(s, 15);
    if (t.day < 0 || t.month < 0 || yy < 0 || t.hour < 0 || t.minute < 0 || t.second < 0)
        return false;
    t.year = 2000 + yy;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    out = t;
    return true;
}

TCell ClassifyCell(std::string_view text, int row, int column, std::string_view decimal) {
    if (text.empty()) return TBlank{};
    if (row == 0) return TText{text};
    if (column == kDateTimeColumn) {
        // A time stamp, or an entry's name, which stays text even when it
        // looks like a number ("0805").
        TDateTime t;
        if (ParseLogDateTime(text, t)) return t;
        return TText{text};
    }
    double v = 0;
    if (IsNumberColumn(column) && ParseLocaleNumber(text, decimal, v)) return TNumber{v};
    return TText{text};
}

}  // namespace exporter

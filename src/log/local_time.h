// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

// Calendar time as the user's clock shows it, with its distance from UTC, so a
// stored time says when it was taken wherever it is read.
namespace logcore {

struct TLocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int utcOffsetMinutes = 0;  // local time minus UTC

    friend bool operator==(const TLocalTime&, const TLocalTime&) = default;
};

// The system clock in the local time zone.
TLocalTime LocalTimeAt(std::chrono::system_clock::time_point when);
inline TLocalTime LocalTimeNow() {
    return LocalTimeAt(std::chrono::system_clock::now());
}

// "dd.mm.yy hh:mm:ss": the date with points, the time with the locale's
// separator.
std::string LogTimeText(const TLocalTime& t, const std::string& timeSeparator);

// "2026-12-10T14:03:05.123+01:00".
std::string IsoTimeText(const TLocalTime& t);

// "2026-12-10_14-03-05": usable as a file name everywhere.
std::string FileTimeText(const TLocalTime& t);

}  // namespace logcore

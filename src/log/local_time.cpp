// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/local_time.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace logcore {
namespace {

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Minutes since a fixed epoch of the proleptic Gregorian calendar; only the
// difference of two such counts is used.
long long MinutesOf(const std::tm& tm) {
    const long long before = tm.tm_year + 1900LL - 1;  // whole years before this one
    const long long days = 365 * before + before / 4 - before / 100 + before / 400 + tm.tm_yday;
    return (days * 24 + tm.tm_hour) * 60 + tm.tm_min;
}

}  // namespace

TLocalTime LocalTimeAt(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
    gmtime_s(&utc, &seconds);
#else
    localtime_r(&seconds, &local);
    gmtime_r(&seconds, &utc);
#endif
    TLocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms < 0 ? ms + 1000 : ms);
    // The year-day counts of both calendars give the offset without relying on
    // a platform's time-zone fields.
    t.utcOffsetMinutes = static_cast<int>(MinutesOf(local) - MinutesOf(utc));
    return t;
}

std::string LogTimeText(const TLocalTime& t, const std::string& timeSeparator) {
    return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + TwoDigits(t.year % 100) + " " +
           TwoDigits(t.hour) + timeSeparator + TwoDigits(t.minute) + timeSeparator +
           TwoDigits(t.second);
}

std::string IsoTimeText(const TLocalTime& t) {
    char buf[64];
    const int offset = std::abs(t.utcOffsetMinutes);
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond,
                  t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return buf;
}

std::string FileTimeText(const TLocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

}  // namespace logcore

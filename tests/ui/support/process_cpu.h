// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/resource.h>

#include <QElapsedTimer>
#include <QTest>

// CPU time this process used (user and system), in seconds.
inline double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Share of one core the process used while the event loop ran for `ms`.
inline double CpuShareOver(int ms) {
    const double before = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(ms);
    return (ProcessCpuSeconds() - before) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

#include "app/demo_radio.h"
#include "app/main.h"

// Helpers for the tests of the direct Bluetooth LE link on the simulated radio.
namespace ble_test {

// Discovery, service discovery and subscription take a few seconds of real
// time with the simulated radio; a loaded sanitizer build needs the margin.
constexpr int kLinkTimeoutMs = 10000;

inline const QString kScanFailed = "Ошибка сканирования!!";
inline const QString kNotFound = "Bluetooth LE: прибор не найден";

inline QStringList LogLines(const TForm1& f) {
    return f.Memo1->toPlainText().split('\n');
}

// The log from the first line equal to `first` on, or nothing.
inline QStringList LogFrom(const TForm1& f, const QString& first) {
    const QStringList lines = LogLines(f);
    const qsizetype at = lines.indexOf(first);
    return at < 0 ? QStringList() : lines.mid(at);
}

// A meter without noise, so readings are exact.
inline sim::TSimConfig ExactMeter() {
    sim::TSimConfig c;
    c.noise = 0;
    return c;
}

}  // namespace ble_test

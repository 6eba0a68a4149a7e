// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/self_test.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTimer>
#include <cstdio>

#include "app/main.h"

namespace {

// The main reading of the panel the meter's mode shows.
QString MainReading(const TForm1& form) {
    switch (form.screen.VisiblePanel()) {
        case display::TPanel::Rlcd:
            return form.L_prim_n->text();
        case display::TPanel::Rd:
            return form.RD_Prim->text();
        case display::TPanel::U:
            return form.U_vrm->text();
    }
    return {};
}

bool HasDigit(const QString& text) {
    for (const QChar c : text)
        if (c.isDigit()) return true;
    return false;
}

}  // namespace

void StartSelfTest(TForm1& form, const QString& languageFile, std::chrono::milliseconds limit) {
    auto* poll = new QTimer(&form);
    const QDeadlineTimer deadline(limit);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, poll, deadline, languageFile, limit] {
        const QString reading = MainReading(form);
        const bool shown = form.state.MeterConnected && HasDigit(reading);
        if (!shown && !deadline.hasExpired()) return;
        poll->stop();
        if (shown) {
            std::printf("language file: %s\nreading: %s\n", qPrintable(languageFile),
                        qPrintable(reading.trimmed()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        } else {
            std::fprintf(stderr, "rlc-logger: no reading within %lld ms\n",
                         static_cast<long long>(limit.count()));
            QCoreApplication::exit(1);
        }
    });
    poll->start(100);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include "sim/pty.h"

// A pseudo-terminal that the window opens as its adapter port; the test reads
// what the window wrote from the other side.
struct PtyPort {
    sim::TPtyPair pty;

    QString Path() const { return QString::fromStdString(pty.SlavePath()); }

    // Everything written until `expectedSize` bytes arrived or a second passed.
    QByteArray Read(int expectedSize) {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < expectedSize && clock.elapsed() < 1000) {
            QCoreApplication::processEvents();
            const auto bytes = pty.ReadAvailable();
            got.append(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qsizetype>(bytes.size()));
            if (got.size() < expectedSize) QTest::qWait(5);
        }
        return got;
    }
    // Discards what was written so far (stops after 50 ms of quiet).
    void Drain() {
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 50) {
            QCoreApplication::processEvents();
            if (!pty.ReadAvailable().empty()) quiet.restart();
            QTest::qWait(5);
        }
    }
};

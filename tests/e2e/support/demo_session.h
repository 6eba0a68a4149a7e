// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/demo_meter.h"
#include "app/main.h"
#include "connection/connection_manager.h"
#include "connection/serial_link.h"
#include "sim/part.h"

// The window with its real serial code on a pseudo-terminal served by the
// simulated adapter and meter (a noiseless part, 1 kΩ unless named), exactly as --demo
// runs it, and with its settings file in a temporary folder.
struct DemoSession {
    QTemporaryDir settingsDir;
    std::unique_ptr<DemoMeter> meter;
    std::unique_ptr<TForm1> form;

    explicit DemoSession(const char* part = "R=1k") {
        sim::TSimConfig config;
        config.part = *sim::ParsePart(part);
        config.noise = 0;
        meter = std::make_unique<DemoMeter>(config);
        TForm1Ports ports;
        ports.locator = std::make_unique<FixedPortLocator>(meter->PortPath());
        ports.settingsFolder = settingsDir.path();
        form = std::make_unique<TForm1>(std::move(ports));
    }
    // Shows the window; the start-up probe runs from here.
    bool Show() {
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }
    // Connects as a person does once the start-up probe is over: the watch
    // takes the port over, then a click on the connect button. True once the
    // RLC screen shows a reading in `unit`.
    bool ConnectByClick(const QString& unit = "Ом") {
        TForm1& f = *form;
        if (!QTest::qWaitFor([&f] { return !f.connection->Serial().ProbeRunning(); }, 3000))
            return false;
        f.connection->T3Timer();
        if (!QTest::qWaitFor([&f] { return f.B2->isEnabled(); }, 3000)) return false;
        QTest::mouseClick(f.B2, Qt::LeftButton);
        return QTest::qWaitFor([&f] { return f.state.MeterConnected; }, 3000) &&
               QTest::qWaitFor([&f, &unit] { return f.L_prim_n->text().contains(unit); }, 5000);
    }
    // The window goes first: closing its port sends the drop command to the meter.
    ~DemoSession() { form.reset(); }
};

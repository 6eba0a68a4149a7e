// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/demo_meter.h"
#include "app/main.h"
#include "sim/part.h"

// The window with its real serial code on a pseudo-terminal served by the
// simulated adapter and meter (a noiseless 1 kΩ resistor), exactly as --demo
// runs it, and with its settings file in a temporary folder.
struct DemoSession {
    QTemporaryDir settingsDir;
    std::unique_ptr<DemoMeter> meter;
    std::unique_ptr<TForm1> form;

    DemoSession() {
        sim::TSimConfig config;
        config.part = *sim::ParsePart("R=1k");
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
    // The window goes first: closing its port sends the drop command to the meter.
    ~DemoSession() { form.reset(); }
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "app/main.h"

// A window with its settings file in a temporary folder, so tests never touch
// the user's 1.dat, with the shipped language files and with the given adapter
// locator (none by default).
struct FormFixture {
    QTemporaryDir settingsDir;
    std::unique_ptr<TForm1> form;

    explicit FormFixture(std::unique_ptr<AdapterLocator> locator = nullptr,
                         std::unique_ptr<BleCentral> ble = nullptr) {
        TForm1Ports ports;
        ports.locator = std::move(locator);
        ports.ble = std::move(ble);
        ports.settingsFolder = settingsDir.path();
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        form = std::make_unique<TForm1>(std::move(ports));
    }
};

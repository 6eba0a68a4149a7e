// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "app/demo_meter.h"
#include "app/demo_radio.h"
#include "app/instance_lock.h"
#include "app/lang_folder.h"
#include "app/main.h"
#include "app/self_test.h"
#include "app/settings_store.h"
#include "app/start_statistics.h"
#include "app/toolkit_options.h"
#include "app/window_placement.h"
#include "build_info.h"
#include "connection/connection_manager.h"
#include "link/qt_ble_central.h"
#include "sim/part.h"

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName("rlc-logger");
    QCoreApplication::setApplicationVersion(RLC_VERSION);

    QCommandLineParser options;
    options.setApplicationDescription("Data logger and remote control for КС RLC meters");
    const QCommandLineOption help = options.addHelpOption();
    const QCommandLineOption version = options.addVersionOption();
    const QCommandLineOption demo("demo", "Run with a simulated meter.");
    const QCommandLineOption demoBle(
        "demo-ble", "Run with a simulated meter reached over a simulated Bluetooth LE radio.");
    const QCommandLineOption demoPart("demo-part", "Part the simulated meter measures.", "PART",
                                      "R=1k");
    const QCommandLineOption demoMode("demo-mode", "Display mode the simulated meter starts in.",
                                      "rlcd|rd|u", "rlcd");
    const QCommandLineOption port("port", "Use this serial port as the adapter.", "PATH");
    const QCommandLineOption reportReadings(
        "report-readings",
        "Print a line on standard output once readings are shown (for scripts).");
    const QCommandLineOption selfTest(
        "self-test", "Quit once a reading is shown, printing it (exit status 1 if none in 20 s).");
    const QCommandLineOption record("record", "Start recording as soon as the meter is connected.");
    const QCommandLineOption statistics(
        "statistics",
        "Open the statistics window; with --demo, sort against the demo part at 0.1 % first.");
    options.addOptions(
        {demo, demoBle, demoPart, demoMode, port, selfTest, record, reportReadings, statistics});

    // Help, the version and unknown options are answered before the toolkit
    // starts, so without a display too (over ssh, in a package check). The
    // toolkit's own options (-platform NAME, -style=NAME, ...) are left to it.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (!options.parse(WithoutToolkitOptions(arguments))) {
        std::fprintf(stderr, "rlc-logger: %s\nTry 'rlc-logger --help' for the options.\n",
                     qPrintable(options.errorText()));
        return 2;
    }
    if (options.isSet(version)) {
        std::fputs("rlc-logger " RLC_VERSION "\n" RLC_VERSION_NOTICE, stdout);
        return 0;
    }
    if (options.isSet(help) || options.isSet("help-all")) {
        QCoreApplication text(argc, argv);
        options.process(text);  // prints and exits
    }

    // Bad values are refused before anything starts (even without a display),
    // rather than replaced by defaults.
    sim::TSimConfig demoConfig;
    {
        const std::string part = options.value(demoPart).toStdString();
        const std::string mode = options.value(demoMode).toStdString();
        const auto parsedPart = sim::ParsePart(part);
        const auto parsedMode = sim::ParseMode(mode);
        const std::string error =
            !parsedPart   ? sim::BadOptionMessage("--demo-part", part, sim::kPartForms)
            : !parsedMode ? sim::BadOptionMessage("--demo-mode", mode, sim::kModeSpecHelp)
                          : std::string();
        if (!error.empty()) {
            std::fprintf(stderr, "rlc-logger: %s\n", error.c_str());
            return 2;
        }
        demoConfig.part = *parsedPart;
        demoConfig.mode = *parsedMode;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(RLC_APP_ID);
    QApplication::setWindowIcon(ProgramIcon());
    options.process(app);

    // One window per settings folder, however many installs share it.
    const QString settingsFolder = SettingsStore::DefaultFolder();
    const TInstanceLock instance = TakeInstanceLock(settingsFolder);
    if (instance.heldByAnother) {
        std::fprintf(stderr, "rlc-logger: another copy is running on %s\n",
                     qPrintable(QDir::toNativeSeparators(settingsFolder)));
        const QString title = QCoreApplication::applicationFilePath().replace('\\', '/').left(256);
        QMessageBox::critical(nullptr, title, "Вы пытаетесь запустить программу повторно");
        return 1;
    }
    // A folder that cannot take the lock cannot take the settings either: the
    // window starts and its connection log says the settings are not saved.
    if (!instance.error.isEmpty())
        std::fprintf(stderr, "rlc-logger: %s\n", qPrintable(instance.error));
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString langFolder = FindLanguageFolder(programDir, QDir::currentPath());
    if (langFolder.isEmpty()) {
        std::fprintf(
            stderr, "rlc-logger: lang/eng.lng is missing (looked in %s)\n",
            qPrintable(LanguageFolderCandidates(programDir, QDir::currentPath()).join(", ")));
        return 1;
    }

    TForm1Ports ports;
    ports.settingsFolder = settingsFolder;
    ports.languageFolder = langFolder;
    std::unique_ptr<DemoMeter> demoMeter;
    const bool demoRun = options.isSet(demo) || options.isSet(demoBle);
    if (demoRun) {
        if (options.isSet(demoBle)) {
            ports.ble = std::make_unique<DemoRadio>(demoConfig);  // and no adapter at all
        } else {
            demoMeter = std::make_unique<DemoMeter>(demoConfig);
            ports.locator = std::make_unique<FixedPortLocator>(demoMeter->PortPath());
        }
    } else if (options.isSet(port)) {
        ports.locator = std::make_unique<FixedPortLocator>(options.value(port));
    } else {
        ports.locator = std::make_unique<UsbAdapterLocator>();
    }
    if (!ports.ble) ports.ble = std::make_unique<QtBleCentral>();

    TForm1 form(std::move(ports));
    form.show();
    if (options.isSet(selfTest))
        StartSelfTest(form, langFolder + "/eng.lng", std::chrono::seconds(20));
    if (demoRun) {
        // Connect once the link watch has taken the port over after the probe.
        QTimer::singleShot(3000, &form, [&form] {
            if (form.B2->isEnabled() && !form.state.MeterConnected) form.connection->B2Click();
        });
    }
    if (options.isSet(record)) {
        // Presses "Пуск" once, as soon as the meter is connected and it can be pressed.
        auto* pressStart = new QTimer(&form);
        QObject::connect(pressStart, &QTimer::timeout, &form, [&form, pressStart] {
            if (!form.state.MeterConnected || !form.SP1->isEnabled()) return;
            if (!form.SP1->isChecked()) form.SP1->click();
            pressStart->stop();
        });
        pressStart->start(200);
    }
    if (options.isSet(reportReadings)) {
        // Scripts (the screenshot) wait for this line instead of guessing a delay.
        auto* watch = new QTimer(&form);
        QObject::connect(watch, &QTimer::timeout, &form, [&form, watch] {
            for (const QLabel* l : {form.L_prim_n, form.RD_Prim, form.U_Prim}) {
                if (l->isVisible() && !l->text().trimmed().isEmpty()) {
                    std::printf("readings shown\n");
                    std::fflush(stdout);
                    watch->stop();
                    return;
                }
            }
        });
        watch->start(100);
    }
    if (options.isSet(statistics))
        OpenStatisticsAtStart(form, demoRun ? std::optional(demoConfig.part) : std::nullopt);
    return app.exec();
}

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/demo_meter.h"
#include "app/main.h"
#include "link/connection_manager.h"
#include "sim/part.h"

namespace {

// The language file must be there before anything starts; beside the program
// or under the current folder.
QString FindLanguageFile() {
    for (const QString& dir : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        const QString path = dir + "/lang/eng.lng";
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

// A lock that dies with its process, named after the program's path.
std::unique_ptr<QLockFile> TakeInstanceLock(QString& name) {
    name = QCoreApplication::applicationFilePath().replace('\\', '/').left(256);
    const QString key = QString::number(qHash(name), 16);
    auto lock = std::make_unique<QLockFile>(QDir::tempPath() + "/rlc-logger-" + key + ".lock");
    lock->setStaleLockTime(0);
    if (!lock->tryLock(50)) return nullptr;
    return lock;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("rlc-logger");

    QCommandLineParser options;
    options.setApplicationDescription("Data logger and remote control for КС RLC meters");
    options.addHelpOption();
    const QCommandLineOption demo("demo", "Run with a simulated meter.");
    const QCommandLineOption demoPart("demo-part", "Part the simulated meter measures.", "PART",
                                      "R=1k");
    const QCommandLineOption demoMode("demo-mode", "Display mode the simulated meter starts in.",
                                      "rlcd|rd|u", "rlcd");
    const QCommandLineOption port("port", "Use this serial port as the adapter.", "PATH");
    const QCommandLineOption record("record", "Start recording as soon as the meter is connected.");
    options.addOptions({demo, demoPart, demoMode, port, record});
    options.process(app);

    QString instanceName;
    const std::unique_ptr<QLockFile> lock = TakeInstanceLock(instanceName);
    if (!lock) {
        QMessageBox::critical(nullptr, instanceName, "Вы пытаетесь запустить программу повторно");
        return 1;
    }
    if (FindLanguageFile().isEmpty()) {
        std::fprintf(stderr,
                     "rlc-logger: lang/eng.lng is missing (looked beside the program and in %s)\n",
                     qPrintable(QDir::currentPath()));
        return 1;
    }

    TForm1Ports ports;
    std::unique_ptr<DemoMeter> demoMeter;
    if (options.isSet(demo)) {
        sim::TSimConfig config;
        if (const auto part = sim::ParsePart(options.value(demoPart).toStdString()))
            config.part = *part;
        const QString mode = options.value(demoMode);
        if (mode == "rd") config.mode = protocol::TDisplayMode::Rd;
        if (mode == "u") config.mode = protocol::TDisplayMode::U;
        demoMeter = std::make_unique<DemoMeter>(config);
        ports.locator = std::make_unique<FixedPortLocator>(demoMeter->PortPath());
    } else if (options.isSet(port)) {
        ports.locator = std::make_unique<FixedPortLocator>(options.value(port));
    } else {
        ports.locator = std::make_unique<UsbAdapterLocator>();
    }

    TForm1 form(std::move(ports));
    form.show();
    if (demoMeter) {
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
    return app.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what a log row costs in the window (offscreen) at the top of the grid
// and at its largest position, and the memory a full grid takes. No assertions.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "protocol/frame.h"
#include "protocol/settings.h"

namespace {

// Resident memory of this process in MiB.
double ResidentMiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').at(0).toDouble() / 1024;
    return 0;
}

void FeedReading(TForm1& form) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.value1 = 1234.5f;
    f.value2 = -150.0f;
    f.settings = protocol::ReportedSettingsBytes(settings);
    const auto frame = protocol::BuildMeasurementFrame(f);
    form.DecodeMeasurementFrame(std::span<const std::uint8_t>(frame.data(), frame.size()));
}

// Median microseconds of an append at `position`, the window repainting after each.
double AppendMicros(TForm1& form, int position, int repeats) {
    std::vector<double> us;
    for (int i = 0; i < repeats; ++i) {
        form.SE1->setValue(position);
        const auto start = std::chrono::steady_clock::now();
        form.log->AppendLogRow();
        QApplication::processEvents();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(us.begin(), us.begin() + repeats / 2, us.end());
    return us[static_cast<std::size_t>(repeats / 2)];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The journal on a memory file system when there is one, so the figures are
    // the window's and not the disk's.
    const QString base = QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath();
    QTemporaryDir settings(base + "/bench-log-XXXXXX");
    TForm1Ports ports;
    ports.settingsFolder = settings.path();
    TForm1 form(std::move(ports));
    form.show();
    form.CBox5->setEditText("1%");
    form.CBox51->setEditText("1%");
    FeedReading(form);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();

    const double emptyMiB = ResidentMiB();
    const int repeats = 300;
    const double at10 = AppendMicros(form, 10, repeats);

    form.SE1->setValue(1);
    for (int row = 1; row <= 100000; ++row) {
        form.log->AppendLogRow();
        if (row % 1000 == 0) QApplication::processEvents();
    }
    QApplication::processEvents();
    const double fullMiB = ResidentMiB();
    const double at100000 = AppendMicros(form, 100000, repeats);

    std::printf("grid rows: %d\n", form.SG->Cells().RowCount() - 1);
    std::printf("append at row 10:      %8.1f us (median of %d)\n", at10, repeats);
    std::printf("append at row 100000:  %8.1f us (median of %d)\n", at100000, repeats);
    std::printf("ratio 100000 / 10:     %8.2f\n", at100000 / at10);
    std::printf("resident memory empty: %8.1f MiB\n", emptyMiB);
    std::printf("resident memory full:  %8.1f MiB (+%.1f MiB for 100000 rows)\n", fullMiB,
                fullMiB - emptyMiB);
    std::printf("(each append includes the journal line and its flush, journal in %s)\n",
                qPrintable(base));
    return 0;
}

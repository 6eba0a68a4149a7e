// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what a logged row costs with the statistics window open, at a short
// and at a long log: the whole path (frame, grid row, journal line with its
// flush to disk, figures, redraw of the window) and the statistics' own share
// (figures, plots and table redrawn). No assertions.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "app/main.h"
#include "control/statistics_control.h"
#include "control/statistics_window.h"
#include "log/journal.h"
#include "protocol/frame.h"
#include "protocol/settings.h"

namespace {

protocol::TMeasurementFrame ResistorFrame(float rs) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    settings.PrimAuto() = 0;
    settings.PrimIndex() = 1;  // R
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.value1 = rs;
    f.value2 = -20.0f;
    f.settings = protocol::ReportedSettingsBytes(settings);
    return protocol::BuildMeasurementFrame(f);
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct TBench {
    TForm1& form;
    std::mt19937 random{7};
    std::normal_distribution<float> spread{1000.0f, 15.0f};

    // Rows straight into the statistics, as a long run would have left them.
    void Fill(long rows) {
        logcore::TJournalRow row;
        for (long i = 0; i < rows; ++i) {
            row.primary = spread(random);
            row.secondary = 0.01;
            row.verdict = *row.primary > 1050 || *row.primary < 950 ? 1 : 0;
            form.statistics->RowAppended(row);
        }
        form.statistics->Refresh();
    }

    void Redraw() {
        form.statistics->Refresh();
        form.statistics->Window()->repaint();
    }

    // Microseconds a row through the window, each row redrawn as at the
    // meter's rate.
    double WholeRow(int rows) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rows; ++i) {
            const auto frame = ResistorFrame(spread(random));
            form.DecodeMeasurementFrame(frame);
            Redraw();
        }
        return 1e6 * Seconds(start) / rows;
    }

    double StatisticsRow(int rows) {
        logcore::TJournalRow row;
        row.secondary = 0.01;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rows; ++i) {
            row.primary = spread(random);
            form.statistics->RowAppended(row);
            Redraw();
        }
        return 1e6 * Seconds(start) / rows;
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    TForm1Ports ports;
    ports.settingsFolder = settingsDir.path();
    TForm1 form(std::move(ports));
    form.SB4->setChecked(false);
    form.show();
    form.CBox2->setCurrentIndex(0);
    form.E2->setText("1");
    form.CBox1->setCurrentIndex(1);
    form.CBox5->setCurrentText("5%");
    form.SP1->setEnabled(true);
    form.SP1->click();
    form.statistics->BStatClick();

    TBench bench{form};
    const int measured = 200;
    std::printf("rows in log  whole row (us)  statistics share (us)\n");
    for (long logged : {10L, 100000L}) {
        form.B5->click();  // empties the log and the figures
        form.SP1->click();
        bench.Fill(logged);
        const double whole = bench.WholeRow(measured);
        const double share = bench.StatisticsRow(measured);
        std::printf("%11ld  %14.1f  %21.1f\n", logged, whole, share);
    }
    std::printf(
        "(200 rows measured at each size; the whole row includes the journal's flush "
        "to disk)\n");
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long `rlc-meter sweep` takes over every frequency of a КС15
// against the simulated meter at its fastest report interval (0.5 s), next to
// the least it can take: points × (the reading dropped after the change + the
// readings that settle a point) × the report interval. No assertions.
//
// usage: bench_sweep [ROUNDS] [READINGS]   (default 1 round, 3 readings)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/demo_meter.h"
#include "sweep/sweep.h"

namespace {

constexpr double kFastestReportSeconds = 0.5;

struct TRound {
    double sweepSeconds = -1;  // the tool's own count: first command to last point
    double wallSeconds = 0;    // process start to exit, the link set up included
    int points = 0;
};

bool RunTool(const QStringList& args, QByteArray& out, QByteArray& err, TRound* round) {
    QProcess p;
    QElapsedTimer wall;
    wall.start();
    p.start(QStringLiteral(RLC_METER_PATH), args);
    if (!p.waitForStarted(5000)) return false;
    // The meter is served from this event loop: wait without blocking it.
    while (p.state() != QProcess::NotRunning && wall.elapsed() < 300000) QTest::qWait(20);
    out = p.readAllStandardOutput();
    err = p.readAllStandardError();
    if (round) round->wallSeconds = static_cast<double>(wall.elapsed()) / 1000.0;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const int readings = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    sim::TSimConfig config;
    config.part = *sim::ParsePart("RC=100,1u");
    DemoMeter demo(config);
    const QString port = demo.PortPath();
    QByteArray out, err;
    if (!RunTool({"log", "--port", port, "--set", "rate=0.5", "--count", "1", "--quiet"}, out, err,
                 nullptr)) {
        std::fprintf(stderr, "could not set the report interval: %s\n", err.constData());
        return 1;
    }

    const int points =
        static_cast<int>(sweep::DefaultFrequencyIndices(protocol::TMeterModel::Ks15).size());
    const double bound = points * (1 + readings) * kFastestReportSeconds;
    std::printf("КС15 sweep, %d points, %d readings a point, report interval %.1f s\n", points,
                readings, kFastestReportSeconds);
    std::printf("lower bound %d x (1 + %d) x %.1f s = %.1f s (goal: at most 1.2 x)\n", points,
                readings, kFastestReportSeconds, bound);
    const QRegularExpression summary(R"((\d+) of \d+ points in ([0-9.]+) s)");
    for (int r = 0; r < rounds; ++r) {
        TRound round;
        if (!RunTool({"sweep", "--port", port, "--format", "jsonl", "--readings",
                      QString::number(readings)},
                     out, err, &round)) {
            std::fprintf(stderr, "the sweep failed: %s\n", err.constData());
            return 1;
        }
        const auto m = summary.match(QString::fromUtf8(err));
        if (m.hasMatch()) {
            round.points = m.captured(1).toInt();
            round.sweepSeconds = m.captured(2).toDouble();
        }
        std::printf(
            "round %d: %d points in %.1f s, ratio %.3f; with connecting %.1f s, ratio "
            "%.3f; %lld lines\n",
            r + 1, round.points, round.sweepSeconds, round.sweepSeconds / bound, round.wallSeconds,
            round.wallSeconds / bound, static_cast<long long>(out.count('\n')));
        std::fflush(stdout);
    }
    return 0;
}

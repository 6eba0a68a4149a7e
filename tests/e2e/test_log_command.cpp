// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/demo_meter.h"
#include "log/journal.h"
#include "protocol/command.h"
#include "sim/pty.h"

// rlc-meter log against the simulated adapter and meter on a pseudo-terminal:
// the tool runs as its own process, the meter is served from this test's event
// loop and shows every byte the tool wrote.
class LogCommandTest : public QObject {
    Q_OBJECT

    struct TRun {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };

    static QString Tool() { return QStringLiteral(RLC_METER_PATH); }

    static sim::TSimConfig Config(const char* part = "R=1k") {
        sim::TSimConfig c;
        c.part = *sim::ParsePart(part);
        c.noise = 0.002;
        return c;
    }

    // Starts the tool on the meter's port; `during` runs once `linesBefore`
    // lines are out (never when 0), then the run goes on to its end.
    TRun Run(DemoMeter& demo, QStringList args, int linesBefore = 0,
             const std::function<void(QProcess&)>& during = {}) {
        QProcess p;
        args.prepend(demo.PortPath());
        args.prepend("--port");
        args.prepend("log");
        p.start(Tool(), args);
        if (!p.waitForStarted(5000)) return {};
        if (linesBefore > 0 && during) {
            QByteArray seen;
            const bool reached = WaitFor(
                [&] {
                    seen += p.readAllStandardOutput();
                    return LineCount(seen) >= linesBefore + 1;  // the header too
                },
                20000);
            if (reached) during(p);
            TRun r = Finish(p);
            r.out.prepend(seen);
            return r;
        }
        return Finish(p);
    }

    // QTRY_ helpers return from void functions only.
    template <typename F>
    static bool WaitFor(F done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QTest::qWait(20);
        }
        return true;
    }

    static TRun Finish(QProcess& p) {
        WaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000);
        TRun r;
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = p.readAllStandardOutput();
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static int LineCount(const QByteArray& out) { return static_cast<int>(out.count("\r\n")); }

    // The CSV as the journal reader sees it: every line must read back.
    static logcore::TJournalContents Read(const QByteArray& out) {
        return logcore::ReadJournal(std::string_view(out.constData(), out.size()));
    }

    static QList<QByteArray> Column(const QByteArray& out, const QByteArray& name) {
        QList<QByteArray> lines = out.split('\n');
        const QList<QByteArray> header = lines.takeFirst().trimmed().split(';');
        const qsizetype at = header.indexOf(name);
        QList<QByteArray> values;
        for (const QByteArray& l : lines)
            if (!l.trimmed().isEmpty()) values.push_back(l.trimmed().split(';').value(at));
        return values;
    }

    // Command frames among the bytes the tool wrote (the rest is "AT" text).
    static QList<QByteArray> CommandFrames(const QByteArray& received) {
        QList<QByteArray> frames;
        for (qsizetype i = 0; i + 6 <= received.size(); ++i) {
            const auto* b = reinterpret_cast<const std::uint8_t*>(received.constData() + i);
            if (b[4] == protocol::kCommandTerminator && (b[0] & 0x80 || (b[0] & 0xBF) == 1) &&
                protocol::ParseCommandFrame(std::span(b, 6))) {
                frames.push_back(received.mid(i, 6));
                i += 5;
            }
        }
        return frames;
    }

  private slots:
    void countGivesWholeLinesWhoseReadoutsMatchDecode() {
        DemoMeter demo(Config());
        const TRun r = Run(demo, {"--count", "5", "--lang", "en", "--decimal", "."});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(LineCount(r.out), 6);  // header and five readings
        QVERIFY(r.out.endsWith("\r\n"));
        const logcore::TJournalContents csv = Read(r.out);
        QVERIFY(csv.problems.empty());
        QCOMPARE(csv.rows.size(), std::size_t(5));
        for (std::size_t i = 0; i < csv.rows.size(); ++i)
            QCOMPARE(csv.rows[i].position, long(i + 1));

        // The same frames through `rlc-meter decode` show the same read-outs.
        QProcess decode;
        decode.start(Tool(), {"decode", "--lang", "en", "--decimal", "."});
        QVERIFY(decode.waitForStarted());
        decode.write(Column(r.out, "frame").join('\n') + '\n');
        decode.closeWriteChannel();
        QVERIFY(decode.waitForFinished(10000));
        const QList<QByteArray> decoded = decode.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(decoded.size(), 5);
        for (const char* control :
             {"L_Prim_RLC", "L_prim_n", "L_Sec_RLC", "L_sec_n", "L_freq_RLC", "L_Level_RLC"}) {
            const QList<QByteArray> logged = Column(r.out, control);
            for (int i = 0; i < 5; ++i) {
                const QJsonObject screen =
                    QJsonDocument::fromJson(decoded[i]).object()["screen"].toObject();
                QCOMPARE(QString::fromUtf8(logged[i]), screen[control].toString());
            }
        }
    }

    void jsonLinesCarryTheSameReadings() {
        DemoMeter demo(Config("C=100n"));
        const TRun r = Run(demo, {"--count", "2", "--format", "jsonl", "--lang", "en"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        for (const QByteArray& l : lines) {
            QJsonParseError e{};
            const QJsonObject o = QJsonDocument::fromJson(l, &e).object();
            QCOMPARE(e.error, QJsonParseError::NoError);
            QCOMPARE(o["cells"].toArray().size(), 10);
            QVERIFY(o["screen"].toObject()["L_prim_n"].toString().contains("nF"));
            QVERIFY(std::abs(o["primary"].toDouble() - 100e-9) < 2e-9);
            QCOMPARE(o["frame"].toString().size(), 36);
        }
    }

    // The settings reach the meter as one command frame holding exactly the
    // choices, and the frames after it report them.
    void setReachesTheMeterAndLaterFramesReportIt() {
        DemoMeter demo(Config("C=100n"));
        const TRun r =
            Run(demo, {"--count", "3", "--lang", "en", "--set",
                       "freq=1k,level=0.5,circuit=series,primary=C,secondary=D,rate=0.5"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> frames = CommandFrames(demo.Received());
        QList<QByteArray> settings;
        for (const QByteArray& f : frames)
            if ((f[0] & 0xBF) == 1) settings.push_back(f);
        QCOMPARE(settings.size(), 1);
        const auto parsed = protocol::ParseCommandFrame(
            std::span(reinterpret_cast<const std::uint8_t*>(settings[0].constData()), 6));
        const auto& c = std::get<protocol::TSettingsCommand>(*parsed);
        QVERIFY(!c.freqAuto);
        QCOMPARE(int(c.freqIndex), 3);
        QVERIFY(!c.levelAuto);
        QCOMPARE(int(c.levelIndex), 2);
        QVERIFY(!c.circuitAuto);
        QCOMPARE(c.series, std::optional<std::uint8_t>(1));
        QCOMPARE(c.primIndex, std::optional<std::uint8_t>(2));
        QCOMPARE(c.secIndex, std::optional<std::uint8_t>(3));
        QCOMPARE(int(c.rate), 3);

        const protocol::TMeterSettings& m = demo.Meter().Settings();
        QCOMPARE(int(m.FreqIndex()), 3);
        QCOMPARE(int(m.LevelIndex()), 2);
        QCOMPARE(int(m.Rate()), 3);
        // Every recorded line comes after the change.
        for (const QByteArray& v : Column(r.out, "L_freq_RLC")) QCOMPARE(v.trimmed(), "1kHz");
        for (const QByteArray& v : Column(r.out, "L_Level_RLC")) QCOMPARE(v.trimmed(), "0.5Vrms");
        for (const QByteArray& v : Column(r.out, "L_Sec_RLC")) QCOMPARE(v, "D");
        for (const QByteArray& v : Column(r.out, "L_prim_n")) QVERIFY(v.contains("nF"));
    }

    void refusedSetSendsNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("frequency the meters lack")
            << QStringList{"--set", "freq=3k"} << "allowed values: auto, 100, 120, 1k";
        QTest::newRow("unknown name")
            << QStringList{"--set", "colour=red"} << "names: freq, level, primary";
        QTest::newRow("item without a value") << QStringList{"--set", "freq="} << "NAME=VALUE";
        // Only the КС16 has the source picker; the meter turns out to be a КС15.
        QTest::newRow("not offered by the connected model")
            << QStringList{"--set", "source=1.6k"} << "КС15";
        QTest::newRow("not offered by the named model")
            << QStringList{"--model", "2", "--set", "level=0.5"}
            << "allowed values: auto, 0.7, 0.1";
    }
    void refusedSetSendsNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        DemoMeter demo(Config());
        const TRun r = Run(demo, args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(named), qPrintable(r.err));
        // The session's wake-up call may have gone out; nothing else did.
        for (const QByteArray& f : CommandFrames(demo.Received()))
            QCOMPARE(std::uint8_t(f[0]) & 0xBF, int(protocol::FnWake));
        QCOMPARE(LineCount(r.out), 0);
    }

    void sigtermEndsWithAWholeLineAndDropsTheLink() {
        DemoMeter demo(Config());
        const TRun r = Run(demo, {"--quiet"}, 2, [](QProcess& p) { p.terminate(); });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.endsWith("\r\n"));
        const logcore::TJournalContents csv = Read(r.out);
        QVERIFY(csv.problems.empty());
        QVERIFY(csv.rows.size() >= 2);
        QVERIFY(demo.Received().endsWith("AT"));
        QTRY_VERIFY_WITH_TIMEOUT(!demo.Meter().Linked(), 2000);
    }

    void droppedLinkReconnectsAndRecordingGoesOn() {
        DemoMeter demo(Config());
        const TRun r = Run(demo, {"--count", "4"}, 2, [&demo](QProcess&) {
            demo.Meter().PowerOff();  // the radio link drops: "OK+LOST"
            QTest::qWait(300);
            demo.Meter().PowerOn();
        });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(Read(r.out).rows.size(), std::size_t(4));
        QVERIFY(r.err.contains("reconnecting"));
        QCOMPARE(demo.Received().count("AT+CONNL"), 2);
    }

    // Frames that queued up while the reader was busy come as one chunk: each
    // of them is recorded, none is rejected.
    void framesRunTogetherAreEachRecorded() {
        DemoMeter demo(Config());
        demo.Meter().GlueNextFrames(3);
        QTemporaryDir dir;
        const QString out = dir.filePath("glued.csv");
        const TRun r = Run(demo, {"--count", "3", "--out", out});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains("frames 3  written 3  rejected 0"), qPrintable(r.err));
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const logcore::TJournalContents csv = Read(file.readAll());
        QVERIFY(csv.problems.empty());
        QCOMPARE(csv.rows.size(), std::size_t(3));
    }

    void droppedLinkEndsTheRunWithoutReconnect() {
        DemoMeter demo(Config());
        const TRun r =
            Run(demo, {"--no-reconnect"}, 1, [&demo](QProcess&) { demo.Meter().PowerOff(); });
        QCOMPARE(r.exitCode, 7);
        QVERIFY(r.err.contains("lost"));
        QVERIFY(Read(r.out).rows.size() >= 1);
        QCOMPARE(demo.Received().count("AT+CONNL"), 1);
    }

    void portFailuresHaveTheirOwnStatus() {
        QProcess p;
        p.start(Tool(), {"log", "--port", "/nonexistent/ttyACM9"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 3);

        // A terminal nobody answers on: the probe gets no "OK".
        sim::TPtyPair silent;
        p.start(Tool(), {"log", "--port", QString::fromStdString(silent.SlavePath())});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 6);
        QVERIFY(p.readAllStandardError().contains("did not answer"));

        // A port another recording holds.
        DemoMeter demo(Config());
        QProcess holder;
        holder.start(Tool(), {"log", "--quiet", "--port", demo.PortPath()});
        QVERIFY(WaitFor([&] { return holder.readAllStandardOutput().size() > 0; }, 15000));
        QProcess second;
        second.start(Tool(), {"log", "--port", demo.PortPath()});
        QVERIFY(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
        QCOMPARE(second.exitCode(), 4);
        QVERIFY(second.readAllStandardError().contains("in use by another program"));
        holder.terminate();
        QVERIFY(WaitFor([&] { return holder.state() == QProcess::NotRunning; }, 10000));
        QCOMPARE(holder.exitCode(), 0);
    }
};

QTEST_MAIN(LogCommandTest)
#include "test_log_command.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main.h"
#include "connection/connection_manager.h"
#include "connection/serial_link.h"
#include "support/process_cpu.h"

namespace {

// `rlc-meter simulate` in a process of its own, its port behind a link name
// that stays the same when the adapter is pulled out and put back.
class SimulatorProcess {
  public:
    bool Start(const QString& folder, const QStringList& options = {}) {
        link_ = folder + "/adapter";
        proc_.setProgram(qEnvironmentVariable("RLC_METER"));
        proc_.setArguments(QStringList{"simulate", "--noise", "0", "--link", link_} + options);
        proc_.setProcessChannelMode(QProcess::SeparateChannels);
        proc_.start();
        if (!proc_.waitForStarted(5000)) return false;
        QElapsedTimer clock;
        clock.start();
        while (!proc_.canReadLine() && clock.elapsed() < 5000) proc_.waitForReadyRead(100);
        return proc_.readLine().trimmed() == link_.toUtf8();
    }
    const QString& Link() const { return link_; }
    void Send(const QByteArray& line) {
        proc_.write(line + "\n");
        proc_.waitForBytesWritten(1000);
    }
    // Stops it as a user would; true when it ended cleanly (a sanitizer report
    // would have ended it with a failure status).
    bool Stop() {
        proc_.terminate();
        if (!proc_.waitForFinished(5000)) {
            proc_.kill();
            proc_.waitForFinished(1000);
            return false;
        }
        const QByteArray err = proc_.readAllStandardError();
        if (!err.isEmpty()) qWarning("simulator: %s", err.constData());
        return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0 && err.isEmpty();
    }

  private:
    QProcess proc_;
    QString link_;
};

bool ShowsReadings(const TForm1& f) {
    return f.L_prim_n->text().contains("Ом");
}

// Share of a core the window may use while it only waits: a few percent,
// with room for sanitizers and a loaded machine.
constexpr double kIdleCpuShare = 0.05;
constexpr int kIdleSampleMs = 2000;

}  // namespace

// The window with its real serial code against the simulated adapter in
// another process, through each fault the adapter and the radio can produce.
// Auto-connect is on, so the window must find its way back on its own.
class FaultRunsTest : public QObject {
    Q_OBJECT

  private:
    bool Start(const QStringList& options = {}, const QByteArray& controlLine = {}) {
        dir_ = std::make_unique<QTemporaryDir>();
        if (!sim_.Start(dir_->path(), options)) return false;
        if (!controlLine.isEmpty()) sim_.Send(controlLine);
        TForm1Ports ports;
        ports.locator = std::make_unique<FixedPortLocator>(sim_.Link());
        ports.settingsFolder = dir_->path();
        form_ = std::make_unique<TForm1>(std::move(ports));
        QTest::mouseClick(form_->CheckBox_connect_auto, Qt::LeftButton);
        form_->connection->T3Timer();  // the watch's first tick, without waiting for it
        return form_->CheckBox_connect_auto->isChecked();
    }
    bool ConnectedWithReadings(int ms = 8000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            if (form_->state.MeterConnected && ShowsReadings(*form_)) return true;
            QTest::qWait(50);
        }
        return false;
    }
    bool Disconnected() const {
        const TForm1& f = *form_;
        return !f.state.MeterConnected && f.B2->text() == "Подключить" && f.T3->isActive() &&
               f.L_prim_n->text().isEmpty();
    }

  private slots:
    void cleanup() {
        form_.reset();
        QVERIFY2(sim_.Stop(), "the simulator did not end cleanly");
        dir_.reset();
    }

    void adapterPulledOutAndPutBack() {
        QVERIFY(Start());
        QVERIFY(ConnectedWithReadings());
        sim_.Send("unplug");
        QTRY_VERIFY_WITH_TIMEOUT(!form_->connection->Serial().IsOpen(), 3000);
        QVERIFY(Disconnected());
        QVERIFY(form_->Memo1->toPlainText().contains("Адаптер потерян"));
        const double cpu = CpuShareOver(kIdleSampleMs);
        QVERIFY2(cpu < kIdleCpuShare, qPrintable(QString("CPU share %1").arg(cpu)));
        sim_.Send("plug");
        QVERIFY(ConnectedWithReadings());
    }

    void linkLostInTheMiddleOfAFrame() {
        QVERIFY(Start());
        QVERIFY(ConnectedWithReadings());
        sim_.Send("lost-midframe");
        QTRY_VERIFY_WITH_TIMEOUT(!form_->state.MeterConnected, 3000);
        QVERIFY(Disconnected());
        QVERIFY(ConnectedWithReadings());
    }

    // "OK+CONNF" long after "AT+CONNL": the attempt fails, the window stays
    // ready, and a later attempt connects once the meter can be reached.
    void lateConnectFailure() {
        QVERIFY(Start({}, "late-connf 1500"));
        QTRY_VERIFY_WITH_TIMEOUT(form_->Memo1->toPlainText().contains("Подключаемся..."), 3000);
        QTest::qWait(1800);  // "OK+CONNF" has come
        QVERIFY(!form_->state.MeterConnected);
        QCOMPARE(form_->B2->text(), QString("Подключить"));
        const double cpu = CpuShareOver(kIdleSampleMs);
        QVERIFY2(cpu < kIdleCpuShare, qPrintable(QString("CPU share %1").arg(cpu)));
        sim_.Send("late-connf off");
        QVERIFY(ConnectedWithReadings(10000));
    }

    void repliesRunTogetherWithData() {
        QVERIFY(Start({"--run-together"}));
        QVERIFY(ConnectedWithReadings());
        sim_.Send("off");  // the last frame and "OK+LOST" arrive as one chunk
        QTRY_VERIFY_WITH_TIMEOUT(!form_->state.MeterConnected, 3000);
        QVERIFY(Disconnected());
        sim_.Send("on");
        QVERIFY(ConnectedWithReadings());
    }

    void burstOfRandomBytes() {
        QVERIFY(Start());
        QVERIFY(ConnectedWithReadings());
        sim_.Send("noise 3");  // 100 kB/s for three seconds
        QTest::qWait(3500);
        QVERIFY(form_->state.MeterConnected);
        QVERIFY(ConnectedWithReadings());
        const double cpu = CpuShareOver(kIdleSampleMs);
        QVERIFY2(cpu < kIdleCpuShare, qPrintable(QString("CPU share %1").arg(cpu)));
    }

    void framesWithBadChecksums() {
        QVERIFY(Start());
        QVERIFY(ConnectedWithReadings());
        sim_.Send("bad-checksum 5");
        // Nothing accepted for a while: the readings blank, the link stays.
        QTRY_VERIFY_WITH_TIMEOUT(form_->L_prim_n->text().isEmpty(), 6000);
        QVERIFY(form_->state.MeterConnected);
        QVERIFY(ConnectedWithReadings());
    }

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    SimulatorProcess sim_;
    std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(FaultRunsTest)
#include "test_fault_runs.moc"

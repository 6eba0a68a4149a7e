// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "support/form_fixture.h"
#include "support/process_cpu.h"
#include "support/pty_port.h"
#include "support/rlcd_frames.h"

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

// A radio that only remembers whether it is switched on.
class RecordingBle final : public NullBleCentral {
  public:
    explicit RecordingBle(bool& enabled) : enabled_(enabled) {}
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    TDiscoveryStart StartDiscovery(int) override { return TDiscoveryStart::Started; }
    void Disconnect() override {}
    bool Write(const QByteArray&) override { return true; }

  private:
    bool& enabled_;
};

QString LastLogLine(const TForm1& f) {
    const QStringList lines = f.Memo1->toPlainText().split('\n');
    return lines.isEmpty() ? QString() : lines.last();
}

// An adapter on the far side of the pseudo-terminal that answers every "AT"
// after `delayMs`, in the given pieces a `gapMs` pause apart.
class AnsweringAdapter : public QObject {
  public:
    AnsweringAdapter(PtyPort& port, int delayMs, QList<QByteArray> pieces, int gapMs = 0)
        : port_(port), delayMs_(delayMs), pieces_(std::move(pieces)), gapMs_(gapMs) {
        poll_.setInterval(1);
        connect(&poll_, &QTimer::timeout, this, [this] {
            const auto bytes = port_.pty.ReadAvailable();
            if (QByteArray(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()))
                    .contains("AT"))
                Answer();
        });
        poll_.start();
    }

  private:
    void Answer() {
        int at = delayMs_;
        for (const QByteArray& piece : pieces_) {
            QTimer::singleShot(at, Qt::PreciseTimer, this, [this, piece] {
                port_.pty.Write(std::span(reinterpret_cast<const std::uint8_t*>(piece.constData()),
                                          static_cast<std::size_t>(piece.size())));
            });
            at += gapMs_;
        }
    }

    PtyPort& port_;
    int delayMs_;
    QList<QByteArray> pieces_;
    int gapMs_;
    QTimer poll_;
};

// The adapter's side of a connect request: counts each "AT+CONNL" and answers
// it with `replies`, 100 ms apart (none: the adapter stays silent).
class ConnectAnswers : public QObject {
  public:
    ConnectAnswers(PtyPort& port, QList<QByteArray> replies)
        : port_(port), replies_(std::move(replies)) {
        poll_.setInterval(1);
        connect(&poll_, &QTimer::timeout, this, [this] {
            const auto bytes = port_.pty.ReadAvailable();
            received_.append(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
            while (received_.count("AT+CONNL") > requests_) {
                ++requests_;
                int at = 100;
                for (const QByteArray& reply : replies_) {
                    QTimer::singleShot(at, this, [this, reply] {
                        port_.pty.Write(
                            std::span(reinterpret_cast<const std::uint8_t*>(reply.constData()),
                                      static_cast<std::size_t>(reply.size())));
                    });
                    at += 100;
                }
            }
        });
        poll_.start();
    }
    int Requests() const { return requests_; }

  private:
    PtyPort& port_;
    QList<QByteArray> replies_;
    QByteArray received_;
    int requests_ = 0;
    QTimer poll_;
};

}  // namespace

// The window against a pseudo-terminal standing in for the adapter: the test
// feeds adapter replies straight into the link and reads what the window wrote.
class ConnectionTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        port_ = std::make_unique<PtyPort>();
        auto locator = std::make_unique<FixedPortLocator>(port_->Path());
        locator_ = locator.get();
        fixture_ = std::make_unique<FormFixture>(std::move(locator));
        f_ = fixture_->form.get();
        QVERIFY(f_->connection->Serial().FindAdapterPort());
        port_->Drain();
    }
    void cleanup() {
        fixture_.reset();
        port_.reset();
    }

    void connectRequestThenConnectedThenWake() {
        TForm1& f = *f_;
        f.connection->B2Click();
        QCOMPARE(port_->Read(8), QByteArray("AT+CONNL"));
        QCOMPARE(f.B2->text(), QString(" "));
        QVERIFY(!f.B2->isEnabled());
        QVERIFY(!f.state.UseDirectBle);

        f.connection->Serial().HandleSerialInput("OK+CONNL");
        QCOMPARE(LastLogLine(f), QString("Подключаемся..."));
        f.connection->Serial().HandleSerialInput("OK+CONN\r\n");
        QVERIFY(f.state.MeterConnected);
        QCOMPARE(f.B2->text(), QString("Отключить"));
        QCOMPARE(LastLogLine(f), QString("Подключено"));
        QVERIFY(!f.T3->isActive());
        QVERIFY(f.T2->isActive() && f.T4->isActive());
        QVERIFY(f.SP1->isEnabled());
        QVERIFY(!f.SB4->isChecked());
        QVERIFY(!f.Button_Add->isEnabled() && !f.Button_DEL->isEnabled() && !f.BB1->isEnabled());

        // One second later the meter is woken; SP4 is up, so the brightness bit is set.
        f.connection->T4Timer();
        QCOMPARE(port_->Read(6), Hex("C0010101 0A01"));
        QVERIFY(!f.T4->isActive());
        QVERIFY(f.T34->isActive() && f.T50->isActive() && f.Timer_TX->isActive());
        QCOMPARE(f.state.DecodePaused, 1);
        QVERIFY(f.SP5->isVisibleTo(&f) && !f.LangCombo1->isVisibleTo(&f));

        f.connection->Commands().Timer_TXTimer();
        QCOMPARE(f.state.DecodePaused, 0);
        QVERIFY(!f.Timer_TX->isActive());

        f.connection->T50Timer();
        QVERIFY(!f.Memo1->isVisibleTo(&f));
        QVERIFY(f.L_righ5->isVisibleTo(&f) && f.L_righ6->isVisibleTo(&f));

        // After a connection the log no longer opens the model chooser.
        f.Memo1Click();
        QVERIFY(!f.P16->isVisibleTo(&f));
    }

    void lostLinkReturnsToDisconnected() {
        TForm1& f = *f_;
        f.connection->Serial().HandleSerialInput("OK+CONN");
        f.connection->T4Timer();
        f.connection->T50Timer();
        f.L_prim_n->setText("1,000 кОм");
        f.connection->Serial().HandleSerialInput("OK+LOST");
        QVERIFY(!f.state.MeterConnected);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QCOMPARE(LastLogLine(f), QString("Отключено"));
        QVERIFY(f.T3->isActive() && f.T2->isActive() && !f.T50->isActive());
        QVERIFY(f.SB4->isChecked());
        QVERIFY(!f.SP1->isEnabled());
        QVERIFY(f.Memo1->isVisibleTo(&f) && !f.L_righ5->isVisibleTo(&f));
        QVERIFY(f.LangCombo1->isVisibleTo(&f) && !f.SP5->isVisibleTo(&f));
        QVERIFY(f.L_prim_n->text().isEmpty());
        QVERIFY(f.Button_Add->isEnabled());
    }

    // Frames that queued up while the window was busy come as one chunk: each
    // is decoded in turn, so the screen shows the last of them.
    void framesRunTogetherAreEachDecoded() {
        TForm1& f = *f_;
        f.connection->Serial().HandleSerialInput("OK+CONN");
        f.state.DecodePaused = 0;
        const auto bytes = [](const RlcdReport& r) {
            const protocol::TMeasurementFrame frame = RlcdFrameOf(r);
            return QByteArray(reinterpret_cast<const char*>(frame.data()),
                              static_cast<qsizetype>(frame.size()));
        };
        const QByteArray first = bytes({.rs = 1000});
        const QByteArray last = bytes({.rs = 1500});
        f.connection->Serial().HandleSerialInput(first + first + last);
        const QString shown = f.L_prim_n->text();
        QVERIFY(!shown.isEmpty());
        f.connection->Serial().HandleSerialInput(first);
        QVERIFY(f.L_prim_n->text() != shown);
        f.connection->Serial().HandleSerialInput(last);
        QCOMPARE(f.L_prim_n->text(), shown);
        QVERIFY(f.state.MeterConnected);
    }

    void manualDisconnectSendsTheDropCommand() {
        TForm1& f = *f_;
        f.connection->Serial().HandleSerialInput("OK+CONN");
        f.connection->B2Click();
        QCOMPARE(port_->Read(2), QByteArray("AT"));
        QCOMPARE(f.B2->text(), QString(" "));
        QVERIFY(f.state.MeterConnected);  // until the adapter reports the loss
    }

    void failedConnectReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("logLine");
        const QString refused("Прибор не ответил, подключение не состоялось");
        QTest::newRow("CONNE") << QByteArray("OK+CONNE") << refused;
        QTest::newRow("CONNF") << QByteArray("OK+CONNF") << refused;
        QTest::newRow("both") << QByteArray("OK+CONNEOK+CONNF") << refused;
        QTest::newRow("CONNN") << QByteArray("OK+CONNN") << QString("NN Нет подключения");
    }
    void failedConnectReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, logLine);
        TForm1& f = *f_;
        f.connection->B2Click();
        f.connection->Serial().HandleSerialInput(reply);
        QVERIFY(!f.state.MeterConnected);
        QVERIFY(!f.SP1->isEnabled());
        QVERIFY(f.T2->isActive());
        QCOMPARE(LastLogLine(f), logLine);
        // The request is over: the caption comes back with the button.
        QCOMPARE(f.B2->text(), QString("Подключить"));
        f.connection->T2Timer();
        QVERIFY(f.B2->isEnabled());
        QVERIFY(!f.T2->isActive());
    }

    // However a connect request ends without a link, the log says so, the
    // button comes back as it was, and the next click or auto-connect asks again.
    void refusedConnectCanBeTriedAgain_data() {
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QString>("logLine");
        const QString refused("Прибор не ответил, подключение не состоялось");
        QTest::newRow("CONNF") << QList<QByteArray>{"OK+CONNL", "OK+CONNF"} << refused;
        QTest::newRow("CONNE") << QList<QByteArray>{"OK+CONNL", "OK+CONNE"} << refused;
        QTest::newRow("CONNN") << QList<QByteArray>{"OK+CONNN"} << QString("NN Нет подключения");
        QTest::newRow("no answer")
            << QList<QByteArray>{} << QString("Адаптер не ответил на запрос подключения");
    }
    void refusedConnectCanBeTriedAgain() {
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QString, logLine);
        TForm1& f = *f_;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        ConnectAnswers adapter(*port_, replies);
        auto said = [&f, &logLine] { return f.Memo1->toPlainText().split('\n').count(logLine); };
        QTRY_VERIFY(f.B2->isEnabled());
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QTest::mouseClick(f.B2, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(adapter.Requests(), attempt, 2000);
            QTRY_COMPARE_WITH_TIMEOUT(said(), attempt, 6000);
            QCOMPARE(f.B2->text(), QString("Подключить"));
            QVERIFY(!f.state.MeterConnected);
            QTRY_VERIFY_WITH_TIMEOUT(f.B2->isEnabled(), 4000);
        }
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        f.connection->T3Timer();
        QTRY_VERIFY_WITH_TIMEOUT(adapter.Requests() >= 3, 2000);
    }

    void autoConnectTriesOnEveryWatchTick() {
        TForm1& f = *f_;
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        QVERIFY(f.CheckBox_connect_auto->isChecked());
        QVERIFY(!f.B2->isEnabled());
        QFile dat(fixture_->settingsDir.path() + "/1.dat");
        QVERIFY(dat.open(QIODevice::ReadOnly));
        QCOMPARE(dat.readAll().mid(204, 1), QByteArray(1, '\x01'));
        dat.close();

        for (int tick = 0; tick < 2; ++tick) {
            f.connection->T3Timer();
            QCOMPARE(port_->Read(8), QByteArray("AT+CONNL"));
            QCOMPARE(f.B2->text(), QString("Подключить"));
            QVERIFY(!f.B2->isEnabled());
        }
        f.connection->T2Timer();
        QVERIFY(!f.B2->isEnabled());  // auto-connect keeps the button off

        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        QVERIFY(f.B2->isEnabled());
    }

    void closingTheWindowDropsTheRadioLink() {
        QVERIFY(f_->connection->Serial().IsOpen());
        fixture_.reset();  // the window goes away with the port open
        QCOMPARE(port_->Read(2), QByteArray("AT"));
    }

    void choosingALanguageStoresItAndDropsTheLink() {
        TForm1& f = *f_;
        f.T3->stop();
        f.LangCombo1->setCurrentIndex(1);
        emit f.LangCombo1->activated(1);
        QCOMPARE(port_->Read(2), QByteArray("AT"));
        QVERIFY(f.T3->isActive());
        QFile dat(fixture_->settingsDir.path() + "/1.dat");
        QVERIFY(dat.open(QIODevice::ReadOnly));
        QCOMPARE(dat.readAll().mid(200, 4), Hex("01000000"));
    }

    void connectWithNeitherAdapterNorRadioGivesTheButtonBack() {
        FormFixture bare;  // no adapter locator, no Bluetooth LE
        TForm1& f = *bare.form;
        f.connection->B2Click();
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T2->isActive());
        f.connection->T2Timer();
        QVERIFY(f.B2->isEnabled());
    }

    // A direct link dropped with B2 switches the radio off, whether or not the
    // adapter has been chosen for connecting since.
    void disconnectingTheDirectLinkSwitchesTheRadioOff_data() {
        QTest::addColumn<bool>("useDirectBle");
        QTest::newRow("direct link in use") << true;
        QTest::newRow("adapter chosen since") << false;
    }
    void disconnectingTheDirectLinkSwitchesTheRadioOff() {
        QFETCH(bool, useDirectBle);
        bool radioOn = false;
        FormFixture bare(nullptr, std::make_unique<RecordingBle>(radioOn));
        TForm1& f = *bare.form;
        QVERIFY(radioOn);  // switched on at creation
        f.state.BleLinkUp = true;
        f.connection->EnterConnectedState();
        f.state.UseDirectBle = useDirectBle;
        f.state.Scanning = true;
        f.connection->B2Click();
        QVERIFY(!radioOn);
        QVERIFY(!f.state.BleLinkUp && !f.state.Scanning && !f.state.MeterConnected);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T3->isActive());
    }

    // The adapter pulled out while connected: the port is closed at once (its
    // notifier would otherwise fire for ever), the window disconnects and says
    // why, and the watch runs again so the adapter is taken back when it returns.
    void unpluggedAdapterDisconnectsAndIsTakenBack() {
        TForm1& f = *f_;
        SerialAdapterLink& serial = f.connection->Serial();
        serial.HandleSerialInput("OK+CONN");
        f.connection->T4Timer();
        f.connection->T50Timer();
        QVERIFY(f.state.MeterConnected && !f.T3->isActive());
        const QString path = port_->Path();

        port_.reset();  // the device goes away under the open port
        QTRY_VERIFY_WITH_TIMEOUT(!serial.IsOpen(), 2000);
        QVERIFY(!f.state.MeterConnected && !f.state.AdapterPortOpen);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T3->isActive());
        QVERIFY(!f.T34->isActive());
        QVERIFY(f.Memo1->isVisibleTo(&f) && f.LangCombo1->isVisibleTo(&f));
        QVERIFY(f.Memo1->toPlainText().contains("Адаптер потерян, порт закрыт: " + path));
        QVERIFY2(CpuShareOver(1000) < 0.2, "the event loop spins after the port vanished");

        // The adapter comes back under another path; auto-connect takes it again.
        port_ = std::make_unique<PtyPort>();
        locator_->SetPath(port_->Path());
        f.CheckBox_connect_auto->setChecked(true);
        f.connection->T3Timer();
        QVERIFY(serial.IsOpen());
        QCOMPARE(port_->Read(8), QByteArray("AT+CONNL"));
    }

    // A named port that cannot be used says why, once per reason rather than
    // on every watch tick.
    void unusablePortSaysWhyOnce_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("missing") << "/nonexistent/ttyUSB9"
                                 << "Порт не найден: /nonexistent/ttyUSB9";
        QTest::newRow("regular file") << ""
                                      << "Это не последовательный порт: ";
        QTest::newRow("folder") << "/"
                                << "Это не последовательный порт: /";
    }
    void unusablePortSaysWhyOnce() {
        QFETCH(QString, path);
        QFETCH(QString, line);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath("plain");
            QFile plain(path);
            QVERIFY(plain.open(QIODevice::WriteOnly));
            line += path;
        }
        FormFixture bare(std::make_unique<FixedPortLocator>(path));
        TForm1& f = *bare.form;
        for (int tick = 0; tick < 3; ++tick) f.connection->T3Timer();
        QVERIFY(!f.connection->Serial().IsOpen());
        QCOMPARE(f.Memo1->toPlainText().count(line), 1);
    }

    void reasonIsLoggedAgainAfterTheCauseChanged() {
        QTemporaryDir dir;
        const QString path = dir.filePath("adapter");
        auto owned = std::make_unique<FixedPortLocator>(path);
        FixedPortLocator* locator = owned.get();
        FormFixture bare(std::move(owned));
        TForm1& f = *bare.form;
        f.connection->T3Timer();
        f.connection->T3Timer();
        PtyPort adapter;
        locator->SetPath(adapter.Path());  // the right port: it opens
        f.connection->T3Timer();
        QVERIFY(f.connection->Serial().IsOpen());
        f.connection->Serial().Close();
        locator->SetPath(path);
        f.connection->T3Timer();
        QCOMPARE(f.Memo1->toPlainText().count("Порт не найден: " + path), 2);
    }

    // Linux keeps serial ports for the dialout group: say how to get in.
    void permissionDeniedNamesTheDialoutGroup() {
        TForm1& f = *f_;
        const QString line = SerialAdapterLink::OpenFailureLine(
            f.lexicons, QSerialPort::PermissionError, "/dev/null");
        QVERIFY(line.startsWith("Нет доступа к порту: /dev/null"));
#ifdef Q_OS_LINUX
        QVERIFY(line.contains("dialout"));
#endif
    }

    // A command still waiting for its turn when the port closes fails, and the
    // pause of frame decoding it asked for still ends.
    void commandWaitingWhenThePortClosesStillEndsThePause() {
        TForm1& f = *f_;
        SerialAdapterLink& serial = f.connection->Serial();
        serial.HandleSerialInput("OK+CONN");
        f.connection->T4Timer();  // the wake command goes out at once
        f.connection->Commands().SendFunctionCommand(protocol::FnWake);  // this one waits
        QVERIFY(serial.WritesWaiting());
        f.connection->Commands().Timer_TXTimer();  // the first pause ends meanwhile
        QCOMPARE(f.state.DecodePaused, 1);
        serial.Close();
        QVERIFY(!serial.WritesWaiting());
        QTRY_COMPARE_WITH_TIMEOUT(f.state.DecodePaused, 0, 1000);
    }

    void serialErrorsOnlyClearTheFourthSideReadout() {
        FormFixture bare;
        TForm1& f = *bare.form;
        f.L_righ4->setText("Ɵ 1,0°");
        f.connection->Serial().Write("AT");  // the port is closed
        QVERIFY(f.L_righ4->text().isEmpty());
    }

    // The start-up probe takes an answer that comes late in its wait or in
    // pieces; only a silent adapter gets the message, naming the port it was
    // found on.
    void probeAcceptsLateAndSplitAnswers_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<QByteArrayList>("pieces");
        for (int delay = 186; delay <= 200; delay += 2)
            QTest::addRow("OK after %d ms", delay) << delay << 0 << QByteArrayList{"OK"};
        QTest::newRow("O, pause, K") << 20 << 40 << QByteArrayList{"O", "K"};
        QTest::newRow("O, pause, K+LOST") << 50 << 30 << QByteArrayList{"O", "K+LOST"};
    }
    void probeAcceptsLateAndSplitAnswers() {
        QFETCH(int, delayMs);
        QFETCH(int, gapMs);
        QFETCH(QByteArrayList, pieces);
        SerialAdapterLink& serial = f_->connection->Serial();
        QSignalSpy unanswered(&serial, &SerialAdapterLink::ProbeUnanswered);
        AnsweringAdapter adapter(*port_, delayMs, pieces, gapMs);
        serial.ProbeAdapter();
        QTRY_VERIFY_WITH_TIMEOUT(!serial.ProbeRunning(), 3000);
        QCOMPARE(unanswered.count(), 0);
        QVERIFY(serial.IsOpen());
    }

    void silentAdapterIsReportedByItsPortName() {
        SerialAdapterLink& serial = f_->connection->Serial();
        QSignalSpy unanswered(&serial, &SerialAdapterLink::ProbeUnanswered);
        serial.ProbeAdapter();
        QTRY_VERIFY_WITH_TIMEOUT(!serial.ProbeRunning(), 3000);
        QCOMPARE(unanswered.count(), 1);
        QCOMPARE(unanswered.at(0).at(0).toString(), port_->Path());
        QVERIFY(!serial.IsOpen());
    }

  private:
    std::unique_ptr<PtyPort> port_;
    std::unique_ptr<FormFixture> fixture_;
    FixedPortLocator* locator_ = nullptr;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(ConnectionTest)
#include "test_connection.moc"

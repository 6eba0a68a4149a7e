#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "link/command_sender.h"
#include "link/connection_manager.h"
#include "support/form_fixture.h"
#include "support/pty_port.h"

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

}  // namespace

// The window against a pseudo-terminal standing in for the adapter: the test
// feeds adapter replies straight into the link and reads what the window wrote.
class ConnectionTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        port_ = std::make_unique<PtyPort>();
        fixture_ = std::make_unique<FormFixture>(std::make_unique<FixedPortLocator>(port_->Path()));
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
        QTest::newRow("CONNE") << QByteArray("OK+CONNE") << QString();
        QTest::newRow("CONNF") << QByteArray("OK+CONNF") << QString();
        QTest::newRow("both") << QByteArray("OK+CONNEOK+CONNF") << QString();
        QTest::newRow("CONNN") << QByteArray("OK+CONNN") << QString("NN Нет подключения");
    }
    void failedConnectReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, logLine);
        TForm1& f = *f_;
        f.connection->B2Click();
        const QString before = LastLogLine(f);
        f.connection->Serial().HandleSerialInput(reply);
        QVERIFY(!f.state.MeterConnected);
        QVERIFY(!f.SP1->isEnabled());
        QVERIFY(f.T2->isActive());
        QCOMPARE(LastLogLine(f), logLine.isEmpty() ? before : logLine);
        f.connection->T2Timer();  // the button comes back; the caption is left alone
        QVERIFY(f.B2->isEnabled());
        QVERIFY(!f.T2->isActive());
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

    void serialErrorsOnlyClearTheFourthSideReadout() {
        FormFixture bare;
        TForm1& f = *bare.form;
        f.L_righ4->setText("Ɵ 1,0°");
        f.connection->Serial().Write("AT");  // the port is closed
        QVERIFY(f.L_righ4->text().isEmpty());
    }

  private:
    std::unique_ptr<PtyPort> port_;
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(ConnectionTest)
#include "test_connection.moc"

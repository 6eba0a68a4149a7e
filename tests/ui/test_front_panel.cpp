// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/front_panel.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
#include "support/shown_form.h"

namespace {

QPushButton* ButtonNamed(TForm1& f, const QString& name) {
    return f.findChild<QPushButton*>(name);
}

void ChooseModel(TForm1& f, int model) {
    QRadioButton* buttons[] = {f.RB1, f.RB2, f.RB3, f.RB4};
    buttons[model]->click();
}

void Feed(TForm1& f, const protocol::TFrameFields& fields) {
    const protocol::TMeasurementFrame frame = protocol::BuildMeasurementFrame(fields);
    f.DecodeMeasurementFrame(std::span<const std::uint8_t>(frame.data(), frame.size()));
}

protocol::TFrameFields ModeFrame(std::uint8_t mode, std::uint8_t flags = 0, float v1 = 100,
                                 float v2 = 300, float v3 = 0) {
    protocol::TFrameFields fields;
    fields.status.displayMode = mode;
    fields.subMode = flags;
    fields.value1 = v1;
    fields.value2 = v2;
    fields.value3 = v3;
    if (mode == 1) {
        protocol::TMeterSettings s;
        protocol::TMeterState st;
        protocol::ApplyDefaults(s, st);
        fields.settings = protocol::ReportedSettingsBytes(s);
    }
    return fields;
}

bool Shows(const QLabel* label, const QPixmap& picture) {
    return label->pixmap().toImage() == picture.toImage();
}

}  // namespace

// The meter's function keys on a shown window whose adapter is a
// pseudo-terminal; the bytes the meter would get are read back.
class FrontPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        w_ = std::make_unique<ShownForm>();
        QVERIFY(w_->Start());
        w_->form->SP5->show();  // as after the first tick once connected
    }
    void cleanup() { w_.reset(); }

    // Function commands have no connection check of their own.
    void functionButtonsSendTheirCode_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("sp4Down");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("RLCD, brightness down")
            << "Button2" << true << true << QByteArray::fromHex("81010101 0A01");
        QTest::newRow("RLCD, brightness up")
            << "Button2" << false << true << QByteArray::fromHex("C1010101 0A01");
        QTest::newRow("RD") << "Button1" << false << true << QByteArray::fromHex("C2010101 0A01");
        QTest::newRow("RD, not connected")
            << "Button1" << true << false << QByteArray::fromHex("82010101 0A01");
        QTest::newRow("U on КС15")
            << "Button3" << false << true << QByteArray::fromHex("C3010101 0A01");
        QTest::newRow("power off")
            << "SP5" << false << true << QByteArray::fromHex("C9010101 0A01");
    }
    void functionButtonsSendTheirCode() {
        QFETCH(QString, button);
        QFETCH(bool, sp4Down);
        QFETCH(bool, connected);
        QFETCH(QByteArray, command);
        TForm1& f = *w_->form;
        if (connected) w_->Connect();
        f.SP4->setChecked(sp4Down);
        QTest::mouseClick(ButtonNamed(f, button), Qt::LeftButton);
        QCOMPARE(w_->port.Read(6), command);
        // The mode buttons do not switch the screen themselves.
        QVERIFY(f.Panel_RLCD->isVisible() && !f.Panel_RD->isVisible());
        QCOMPARE(f.state.DecodePaused, 0);
    }

    void uButtonByModel_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("sent");
        QTest::newRow("КС15") << 0 << true;
        QTest::newRow("КС16") << 1 << false;
        QTest::newRow("КС17") << 2 << true;
        QTest::newRow("КС19") << 3 << false;
    }
    void uButtonByModel() {
        QFETCH(int, model);
        QFETCH(bool, sent);
        TForm1& f = *w_->form;
        w_->Connect();
        ChooseModel(f, model);
        f.frontPanel->Button3Click();
        QCOMPARE(w_->port.Read(6), sent ? QByteArray::fromHex("C3010101 0A01") : QByteArray());
        QCOMPARE(f.Timer_TX->isActive(), sent);
    }

    // Default record: FreqAuto, Sound, Rate 2, LevelIndex 1, SourceAuto 0.
    void togglesChangeTheRecordAndSendIt_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("sound off") << "SP2" << QByteArray::fromHex("41240021 0A01");
        QTest::newRow("hold on") << "SP3" << QByteArray::fromHex("412480A1 0A01");
        QTest::newRow("brightness down") << "SP4" << QByteArray::fromHex("01248021 0A01");
    }
    void togglesChangeTheRecordAndSendIt() {
        QFETCH(QString, button);
        QFETCH(QByteArray, command);
        TForm1& f = *w_->form;
        w_->Connect();
        QTest::mouseClick(ButtonNamed(f, button), Qt::LeftButton);
        QCOMPARE(w_->port.Read(6), command);
        QCOMPARE(f.state.DecodePaused, 1);
        QVERIFY(f.Timer_TX->isActive());
    }

    void holdTakesRecordingAwayUntilReleased_data() {
        QTest::addColumn<bool>("profileEditing");
        QTest::newRow("profile editing off") << false;
        QTest::newRow("profile editing on") << true;
    }
    void holdTakesRecordingAwayUntilReleased() {
        QFETCH(bool, profileEditing);
        TForm1& f = *w_->form;
        w_->Connect();
        f.SP1->setEnabled(true);
        QTest::mouseClick(f.SP3, Qt::LeftButton);
        QCOMPARE(f.screen.Settings().Hold(), 1);
        QVERIFY(!f.SP1->isEnabled());
        f.SB4->setChecked(profileEditing);
        QTest::mouseClick(f.SP3, Qt::LeftButton);
        QCOMPARE(f.screen.Settings().Hold(), 0);
        QCOMPARE(f.SP1->isEnabled(), !profileEditing);
    }

    void defaultsAreShownAndSent() {
        TForm1& f = *w_->form;
        w_->Connect();
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        QVERIFY(ClickItem(f.ListBox_freq_RLC, 1));
        QTest::mouseClick(f.L_SER_PER, Qt::LeftButton);
        QVERIFY(ClickItem(f.ListBox_ser_per, 1));
        w_->port.Read(12);
        f.SP4->setChecked(true);
        QTest::mouseClick(f.SBe1, Qt::LeftButton);
        QCOMPARE(w_->port.Read(6), QByteArray::fromHex("01248021 0A01"));
        QCOMPARE(f.L_freq_RLC->text(), QString("A10кГц"));
        QCOMPARE(f.L_SER_PER->text(), QString("A"));
        QVERIFY(f.SP2->isChecked());
        QCOMPARE(f.state.DecodePaused, 1);
    }

    void settingsButtonsWhileNotConnectedKeepTheChange() {
        TForm1& f = *w_->form;
        QTest::mouseClick(f.SP2, Qt::LeftButton);
        QTest::mouseClick(f.SP3, Qt::LeftButton);
        QCOMPARE(f.screen.Settings().Sound(), 0);
        QCOMPARE(f.screen.Settings().Hold(), 1);
        QVERIFY(w_->port.Read(1).isEmpty());
        QCOMPARE(f.state.DecodePaused, 1);
        QVERIFY(!f.Timer_TX->isActive());
    }

    void wakeAfterConnectingThenEveryTick() {
        TForm1& f = *w_->form;
        w_->Connect();
        f.connection->T4Timer();
        QCOMPARE(w_->port.Read(6), QByteArray::fromHex("C0010101 0A01"));
        QVERIFY(f.T34->isActive());
        f.connection->T34Timer();
        f.connection->T34Timer();
        QCOMPARE(w_->port.Read(12), QByteArray::fromHex("C0010101 0A01 C0010101 0A01"));
        QVERIFY(f.T34->isActive());  // only an accepted frame stops it
        Feed(f, ModeFrame(1));
        QVERIFY(!f.T34->isActive());
    }

    // The screens follow the meter's frames: RD shows its picture, U its
    // panel, and hold is offered only on the RLCD screen.
    void screensFollowTheReportedMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("picture");  // -1: not the RD screen
        QTest::newRow("RD resistance") << 2 << 0x02 << "Panel_RD" << 2;
        QTest::newRow("RD diode, reverse") << 2 << 0x21 << "Panel_RD" << 1;
        QTest::newRow("RD diode") << 2 << 0x00 << "Panel_RD" << 0;
        QTest::newRow("RD marker sub-mode") << 2 << 0x23 << "Panel_RD" << 1;
        QTest::newRow("U") << 3 << 0x00 << "Panel_U" << -1;
    }
    void screensFollowTheReportedMode() {
        QFETCH(int, mode);
        QFETCH(int, flags);
        QFETCH(QString, panel);
        QFETCH(int, picture);
        TForm1& f = *w_->form;
        f.SB4->setChecked(false);
        Feed(f, ModeFrame(static_cast<std::uint8_t>(mode), static_cast<std::uint8_t>(flags)));
        for (QFrame* p : {f.Panel_RLCD, f.Panel_RD, f.Panel_U})
            QCOMPARE(p->isVisible(), p->objectName() == panel);
        QVERIFY(!f.SP3->isEnabled());
        if (picture >= 0) {
            QVERIFY(Shows(f.Im_Diod, f.ImList1[static_cast<std::size_t>(picture)]));
            QCOMPARE(f.RD_prim_R->text(), QString(picture == 2 ? "R" : "D"));
        } else {
            QCOMPARE(f.U_Prim->text(), QString("V 0,000В").replace(',', QLocale().decimalPoint()));
        }
        Feed(f, ModeFrame(1));
        QVERIFY(f.Panel_RLCD->isVisible() && !f.Panel_RD->isVisible() && !f.Panel_U->isVisible());
        QVERIFY(f.SP3->isEnabled());
    }

  private:
    std::unique_ptr<ShownForm> w_;
};

QTEST_MAIN(FrontPanelTest)
#include "test_front_panel.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "app/settings_controller.h"
#include "connection/connection_manager.h"
#include "control/front_panel.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
#include "support/form_fixture.h"

namespace {

using protocol::TFrameFields;

// An RLCD frame of a resistor as a meter of `model` reports it: default
// settings with R chosen as the primary parameter.
protocol::TMeasurementFrame RlcdFrame(int model, float rs = 1000.0f, float xs = -0.5f) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    settings.PrimAuto() = 0;
    settings.PrimIndex() = 1;  // R
    TFrameFields f;
    f.status.displayMode = 1;
    f.status.model = static_cast<std::uint8_t>(model);
    f.value1 = rs;
    f.value2 = xs;
    f.settings = protocol::ReportedSettingsBytes(settings);
    return protocol::BuildMeasurementFrame(f);
}

protocol::TMeasurementFrame SleepFrame(int model, std::uint16_t seconds, int displayMode = 1) {
    TFrameFields f;
    f.status.displayMode = static_cast<std::uint8_t>(displayMode);
    f.status.model = static_cast<std::uint8_t>(model);
    f.status.powerSave = true;
    f.powerSave = {true, seconds};
    return protocol::BuildMeasurementFrame(f);
}

void Feed(TForm1& form, const protocol::TMeasurementFrame& frame) {
    form.DecodeMeasurementFrame(std::span<const std::uint8_t>(frame.data(), frame.size()));
}

}  // namespace

// The frame path through the real window: what a received frame does to the
// widgets beyond the texts the display core computes.
class DisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->SB4->setChecked(false);  // profile editing off, as after connecting
    }
    void cleanup() { fixture_.reset(); }

    void frameFillsTheRlcdScreenAndArmsTheWatchdog() {
        TForm1& f = *f_;
        Feed(f, RlcdFrame(0));
        QVERIFY(!f.L_prim_n->text().isEmpty());
        QVERIFY(f.L_prim_n->text().contains("Ом"));
        QCOMPARE(f.L_Prim_RLC->text(), QString("R"));
        QVERIFY(f.T33->isActive());
        QVERIFY(!f.T34->isActive());

        f.view.T33Timer();  // three seconds without a frame
        QVERIFY(f.L_prim_n->text().isEmpty());
        QVERIFY(f.L_sec_n->text().isEmpty());
        QVERIFY(f.L_righ1->text().isEmpty());
        QVERIFY(f.L_righ5->text().isEmpty());
        QVERIFY(f.T33->isActive());  // it keeps ticking until the next frame
    }

    void rejectedFrameChangesNothing() {
        TForm1& f = *f_;
        auto frame = RlcdFrame(0);
        frame[17] = 11;
        Feed(f, frame);
        QVERIFY(f.L_prim_n->text().isEmpty());
        QVERIFY(!f.T33->isActive());
    }

    void modelOfTheFrameSelectsItsButton_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("uOffered");
        QTest::newRow("КС15") << 0 << true;
        QTest::newRow("КС16") << 1 << false;
        QTest::newRow("КС17") << 2 << true;
        QTest::newRow("КС19") << 3 << false;
    }
    void modelOfTheFrameSelectsItsButton() {
        QFETCH(int, model);
        QFETCH(bool, uOffered);
        TForm1& f = *f_;
        Feed(f, RlcdFrame(model));
        QRadioButton* buttons[] = {f.RB1, f.RB2, f.RB3, f.RB4};
        QVERIFY(buttons[model]->isChecked());
        QCOMPARE(f.Button3->isVisibleTo(&f), uOffered);
        QCOMPARE(f.L_Source_RLC->isVisibleTo(&f), model == 1);
        QFile dat(fixture_->settingsDir.path() + "/1.dat");
        QVERIFY(dat.open(QIODevice::ReadOnly));
        const QByteArray bytes = dat.readAll();
        if (model != 0) QCOMPARE(int(bytes.at(205)), model);  // a changed model is remembered
    }

    // The frame's model is stored only through the click handling of a model
    // button that was not checked yet. A model code of 4..9 restored from the
    // settings file leaves RB1 checked.
    void modelIsSavedWhenItsButtonWasNotChecked_data() {
        QTest::addColumn<int>("startModel");
        QTest::addColumn<int>("frameModel");
        QTest::addColumn<int>("storedByte");
        QTest::newRow("same model") << 2 << 2 << 2;
        QTest::newRow("other model") << 2 << 3 << 3;
        QTest::newRow("code 4, КС15 already checked") << 4 << 0 << 4;
        QTest::newRow("code 4, КС17") << 4 << 2 << 2;
    }
    void modelIsSavedWhenItsButtonWasNotChecked() {
        QFETCH(int, startModel);
        QFETCH(int, frameModel);
        QFETCH(int, storedByte);
        TForm1& f = *f_;
        if (startModel < 4) {
            QRadioButton* buttons[] = {f.RB1, f.RB2, f.RB3, f.RB4};
            buttons[startModel]->click();
        } else {
            f.screen.State().Model = static_cast<protocol::TMeterModel>(startModel);
            f.settingsController->SaveModel();
        }
        Feed(f, RlcdFrame(frameModel));
        QCOMPARE(int(f.screen.State().Model), frameModel);
        QFile dat(fixture_->settingsDir.path() + "/1.dat");
        QVERIFY(dat.open(QIODevice::ReadOnly));
        QCOMPARE(int(dat.readAll().at(205)), storedByte);
    }

    void sleepingMeterShowsItsCountdownAndIsWoken() {
        TForm1& f = *f_;
        Feed(f, RlcdFrame(0));
        Feed(f, SleepFrame(0, 120));
        QVERIFY(f.JP5->isVisibleTo(&f));
        QCOMPARE(f.JP5->text(), QString("Сон 120сек"));
        QVERIFY(f.T34->isActive());
        Feed(f, RlcdFrame(0));
        QVERIFY(!f.JP5->isVisibleTo(&f));
        QVERIFY(!f.T34->isActive());
    }

    void profileEditingFreezesTheScreen() {
        TForm1& f = *f_;
        f.SB4->setChecked(true);
        Feed(f, RlcdFrame(2));
        QVERIFY(f.RB3->isChecked());  // the model still follows the meter
        QVERIFY(f.L_prim_n->text().isEmpty());
        QVERIFY(!f.T33->isActive());
    }

    void hugeLossFactorStillShowsTheRestOfTheFrame() {
        TForm1& f = *f_;
        // Reactance tiny against resistance: D is beyond 2^31.
        Feed(f, RlcdFrame(0, 1.0e6f, 1.0e-5f));
        QVERIFY(f.L_righ2->text().startsWith("D "));
        QVERIFY(f.L_righ2->text().contains("E"));
        QVERIFY(!f.L_righ1->text().isEmpty());
        QVERIFY(!f.L_righ4->text().isEmpty());
    }

    // The notice lies over all three display panels, so it shows on every screen.
    void powerSaveNoticeShowsOnEveryScreen_data() {
        QTest::addColumn<int>("displayMode");
        QTest::newRow("RLCD") << 1;
        QTest::newRow("RD") << 2;
        QTest::newRow("U") << 3;
    }
    void powerSaveNoticeShowsOnEveryScreen() {
        QFETCH(int, displayMode);
        TForm1& f = *f_;
        Feed(f, SleepFrame(0, 60, displayMode));
        QVERIFY(f.JP5->isVisibleTo(&f));
        QCOMPARE(f.JP5->text(), QString("Сон 60сек"));
    }

    // The first frame of another model shows the level with its auto marker,
    // exactly as the next frame of that model does.
    void firstFrameOfAnotherModelShowsTheLevelMarker_data() {
        QTest::addColumn<int>("model");
        QTest::newRow("КС16") << 1;
        QTest::newRow("КС17") << 2;
        QTest::newRow("КС19") << 3;
    }
    void firstFrameOfAnotherModelShowsTheLevelMarker() {
        QFETCH(int, model);
        TForm1& f = *f_;
        Feed(f, RlcdFrame(model));
        const QString first = f.L_Level_RLC->text();
        Feed(f, RlcdFrame(model));
        QCOMPARE(first, f.L_Level_RLC->text());
        QCOMPARE(QString::fromStdString(*f.screen.Text("L_Level_RLC")), first);
    }

    void startUpSelectsTheStoredLevel() {
        TForm1& f = *f_;
        // The default record has a fixed level: its item, not "Автовыбор".
        QVERIFY(f.screen.Settings().LevelAuto() == 0);
        QCOMPARE(f.ListBox_Level_RLC->currentRow(),
                 protocol::PickerSelection(f.screen.Settings()).level);
        QCOMPARE(f.ListBox_freq_RLC->currentRow(),
                 protocol::PickerSelection(f.screen.Settings()).freq);
    }

    // A model with fewer frequencies drops the selection of a frequency it no
    // longer has instead of moving it to another one.
    void shorterFrequencyListDropsAVanishedSelection() {
        TForm1& f = *f_;
        QVERIFY(f.RB1->isChecked());
        QCOMPARE(f.ListBox_freq_RLC->count(), 15);
        f.ListBox_freq_RLC->setCurrentRow(8);
        f.RB3->click();
        QCOMPARE(f.ListBox_freq_RLC->count(), 6);
        QCOMPARE(f.ListBox_freq_RLC->currentRow(), -1);
        QVERIFY(f.ListBox_freq_RLC->selectedItems().isEmpty());
    }

    // "По умолчанию" writes the indicators only; readings cleared by the
    // disconnection stay cleared.
    void defaultsDoNotBringClearedReadingsBack() {
        TForm1& f = *f_;
        Feed(f, RlcdFrame(0));
        QVERIFY(!f.L_prim_n->text().isEmpty());
        f.connection->EnterDisconnectedState();
        QVERIFY(f.L_prim_n->text().isEmpty());
        f.frontPanel->SBe1Click();
        QVERIFY(f.L_prim_n->text().isEmpty());
        QVERIFY(f.L_sec_n->text().isEmpty());
        QVERIFY(f.L_righ1->text().isEmpty());
        QVERIFY(f.screen.Text("L_prim_n").value_or("").empty());
        QCOMPARE(f.L_Prim_RLC->text(), QString("C"));  // the defaults' indicators are shown
    }

    // A reject paints the RLC panel only; the other two keep the display colour.
    void rejectPaintsOnlyTheRlcPanel() {
        TForm1& f = *f_;
        f.screen.SetToleranceCheck([](const auto&, const auto&) { return 1; });
        Feed(f, RlcdFrame(0));
        QCOMPARE(f.Panel_RLCD->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(f.Panel_RD->palette().color(QPalette::Window), TForm1::kDisplayColour);
        QCOMPARE(f.Panel_U->palette().color(QPalette::Window), TForm1::kDisplayColour);
        f.screen.SetToleranceCheck([](const auto&, const auto&) { return 0; });
        Feed(f, RlcdFrame(0));
        QCOMPARE(f.Panel_RLCD->palette().color(QPalette::Window), TForm1::kDisplayColour);
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(DisplayTest)
#include "test_display.moc"

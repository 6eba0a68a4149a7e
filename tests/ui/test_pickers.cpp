// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/picker_control.h"
#include "support/shown_form.h"

namespace {

struct Picker {
    QLabel* opener;
    QFrame* panel;
    QListWidget* list;
};

// Openers by name; the primary and the circuit picker have two each.
Picker PickerOf(TForm1& f, const QString& opener) {
    if (opener == "L_freq_RLC") return {f.L_freq_RLC, f.P_freq_RLC, f.ListBox_freq_RLC};
    if (opener == "L_Level_RLC") return {f.L_Level_RLC, f.P_level_RLC, f.ListBox_Level_RLC};
    if (opener == "L_Prim_RLC") return {f.L_Prim_RLC, f.P_prim_RLC, f.ListBox_prim_RLC};
    if (opener == "L_RLC_avto") return {f.L_RLC_avto, f.P_prim_RLC, f.ListBox_prim_RLC};
    if (opener == "L_Sec_RLC") return {f.L_Sec_RLC, f.P_sec_RLC, f.ListBox_sec_RLC};
    if (opener == "L_SER_PER") return {f.L_SER_PER, f.P_ser_per, f.ListBox_ser_per};
    if (opener == "L_SER_PER1") return {f.L_SER_PER1, f.P_ser_per, f.ListBox_ser_per};
    return {f.L_Source_RLC, f.P_Source_RLC, f.ListBox_Source_RLC};
}

QList<QFrame*> Panels(TForm1& f) {
    return {f.P_freq_RLC, f.P_level_RLC, f.P_prim_RLC, f.P_sec_RLC, f.P_ser_per, f.P_Source_RLC};
}

bool AnyPickerOpen(TForm1& f) {
    for (QFrame* p : Panels(f))
        if (p->isVisibleTo(&f)) return true;
    return false;
}

void ChooseModel(TForm1& f, int model) {
    QRadioButton* buttons[] = {f.RB1, f.RB2, f.RB3, f.RB4};
    buttons[model]->click();
}

}  // namespace

// The settings pickers on a shown window whose adapter is a pseudo-terminal:
// the real widgets are clicked and the bytes the meter would get are read back.
class PickersTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        w_ = std::make_unique<ShownForm>();
        QVERIFY(w_->Start());
    }
    void cleanup() { w_.reset(); }

    void openersShowTheirPickerWithCaption_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("caption");
        QTest::newRow("frequency") << "L_freq_RLC"
                                   << " Частота тестового сигнала";
        QTest::newRow("level") << "L_Level_RLC"
                               << " Уровень тестового сигнала";
        QTest::newRow("primary") << "L_Prim_RLC"
                                 << " Основной параметр";
        QTest::newRow("primary auto marker") << "L_RLC_avto"
                                             << " Основной параметр";
        QTest::newRow("secondary") << "L_Sec_RLC"
                                   << "Дополнительный параметр";
        QTest::newRow("circuit") << "L_SER_PER"
                                 << "Схема замещения";
        QTest::newRow("circuit upper") << "L_SER_PER1"
                                       << "Схема замещения";
        QTest::newRow("source") << "L_Source_RLC"
                                << "Сопротивление генератора";
    }
    void openersShowTheirPickerWithCaption() {
        QFETCH(QString, opener);
        QFETCH(QString, caption);
        TForm1& f = *w_->form;
        ChooseModel(f, 1);  // КС16 shows the source resistance
        const Picker p = PickerOf(f, opener);
        QVERIFY(!AnyPickerOpen(f));
        QTest::mouseClick(p.opener, Qt::LeftButton);
        QVERIFY(p.panel->isVisible() && p.list->isVisible());
        QCOMPARE(p.panel->findChild<QLabel*>()->text(), caption);
        QCOMPARE(f.state.DecodePaused, 1);
        for (QFrame* other : Panels(f))
            if (other != p.panel) QVERIFY(!other->isVisible());
    }

    // Each row: the model, the opener, the item, then the indicator the choice
    // writes and the command the meter receives (SP4 up: byte 0 carries 0x40).
    void choiceShowsIndicatorAndSendsTheRecord_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("command");
        auto row = [](const char* name, int model, const char* opener, int item, const char* label,
                      const char* text, const char* hex) {
            QTest::newRow(name) << model << opener << item << label << QString(text)
                                << QByteArray::fromHex(hex);
        };
        row("frequency auto", 0, "L_freq_RLC", 0, "L_freq_RLC", "A10кГц", "41248021 0A01");
        row("frequency 1 kHz", 0, "L_freq_RLC", 3, "L_freq_RLC", "1кГц", "41038021 0A01");
        row("frequency 150 kHz on КС15", 0, "L_freq_RLC", 14, "L_freq_RLC", "150кГц",
            "410E8021 0A01");
        row("frequency 250 kHz on КС16", 1, "L_freq_RLC", 6, "L_freq_RLC", "250кГц",
            "41068021 0A01");
        row("level auto", 0, "L_Level_RLC", 0, "L_Level_RLC", "A1.0Вскз", "41248029 0A01");
        row("level 0.1 on КС17", 2, "L_Level_RLC", 2, "L_Level_RLC", "0.1Вскз", "41248022 0A01");
        row("primary L", 0, "L_RLC_avto", 3, "L_Prim_RLC", "L", "41248321 0A01");
        row("primary auto", 0, "L_Prim_RLC", 0, "L_RLC_avto", "A", "41248021 0A01");
        row("secondary Q blanks the circuit", 0, "L_Sec_RLC", 2, "L_SER_PER", " ", "4124A021 0A01");
        row("secondary D", 0, "L_Sec_RLC", 3, "L_Sec_RLC", "D", "4124B021 0A01");
        row("circuit parallel", 0, "L_SER_PER1", 1, "L_SER_PER", "P", "41648021 0A01");
        row("circuit series", 0, "L_SER_PER", 2, "L_SER_PER1", "S", "41A48021 0A01");
        row("source 1.6 kOhm", 1, "L_Source_RLC", 2, "L_Source_RLC", "1.6кОм", "41248021 0A02");
        row("source auto", 1, "L_Source_RLC", 0, "L_Source_RLC", "A", "41248021 0A00");
    }
    void choiceShowsIndicatorAndSendsTheRecord() {
        QFETCH(int, model);
        QFETCH(QString, opener);
        QFETCH(int, item);
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(QByteArray, command);
        TForm1& f = *w_->form;
        ChooseModel(f, model);
        w_->Connect();
        const Picker p = PickerOf(f, opener);
        QTest::mouseClick(p.opener, Qt::LeftButton);
        QVERIFY(ClickItem(p.list, item));
        QCOMPARE(f.findChild<QLabel*>(label)->text(), text);
        QCOMPARE(w_->port.Read(6), command);
        QCOMPARE(f.connection->Commands().LastFrame()[4], 10);

        // The choice closes the picker (it once stayed open until a second
        // click); decoding stays paused until the send's 50 ms pause ends.
        QVERIFY(!AnyPickerOpen(f));
        QVERIFY(!p.list->isVisibleTo(&f));
        QCOMPARE(f.state.DecodePaused, 1);
        QVERIFY(f.Timer_TX->isActive());
        f.connection->Commands().Timer_TXTimer();
        QCOMPARE(f.state.DecodePaused, 0);

        // It opens again as before.
        QTest::mouseClick(p.opener, Qt::LeftButton);
        QVERIFY(p.panel->isVisible() && p.list->isVisible());
    }

    // Nothing goes out, so nothing ends the pause but the picker's closing,
    // which the choice does.
    void choiceWhileNotConnectedSendsNothingAndCloses() {
        TForm1& f = *w_->form;
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        QVERIFY(ClickItem(f.ListBox_freq_RLC, 1));
        QCOMPARE(f.L_freq_RLC->text(), QString("100Гц"));
        QCOMPARE(f.screen.Settings().FreqIndex(), 1);
        QCOMPARE(f.screen.Settings().FreqAuto(), 0);
        QVERIFY(w_->port.Read(1).isEmpty());
        QVERIFY(!f.Timer_TX->isActive());
        QVERIFY(!AnyPickerOpen(f));
        QCOMPARE(f.state.DecodePaused, 0);
    }

    void profileEditingKeepsTheChoiceUnsent() {
        TForm1& f = *w_->form;
        w_->Connect();
        f.SB4->setChecked(true);
        QTest::mouseClick(f.L_Sec_RLC, Qt::LeftButton);
        QVERIFY(ClickItem(f.ListBox_sec_RLC, 1));
        QCOMPARE(f.L_Sec_RLC->text(), QString("R"));
        QCOMPARE(f.screen.Settings().SecIndex(), 1);
        QVERIFY(w_->port.Read(1).isEmpty());
        QVERIFY(!AnyPickerOpen(f));
        QCOMPARE(f.state.DecodePaused, 0);
    }

    // Every list shows all its items whole, without scrolling (the frequency
    // list clipped its last item), for every model and in both languages, and
    // its picker lies on the screen with its caption whole.
    void everyItemShowsWhole_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("english");
        for (int model = 0; model < 4; ++model)
            for (const bool english : {false, true})
                QTest::addRow("КС1%d %s", model == 3 ? 9 : 5 + model,
                              english ? "English" : "Russian")
                    << model << english;
    }
    void everyItemShowsWhole() {
        QFETCH(int, model);
        QFETCH(bool, english);
        TForm1& f = *w_->form;
        ChooseModel(f, model);
        if (english) {
            f.LangCombo1->setCurrentIndex(1);
            emit f.LangCombo1->activated(1);
            QCOMPARE(f.ListBox_freq_RLC->item(0)->text(), QString("Auto"));
        }
        for (const char* opener : {"L_freq_RLC", "L_Level_RLC", "L_Prim_RLC", "L_Sec_RLC",
                                   "L_SER_PER", "L_Source_RLC"}) {
            if (model != 1 && QString(opener) == "L_Source_RLC") continue;
            const Picker p = PickerOf(f, opener);
            QTest::mouseClick(p.opener, Qt::LeftButton);
            QVERIFY(p.list->isVisible());
            QVERIFY2(p.panel->parentWidget()->rect().contains(p.panel->geometry()), opener);
            const QLabel* caption = p.panel->findChild<QLabel*>();
            QVERIFY2(caption->width() >= caption->sizeHint().width(), opener);
            QVERIFY2(p.panel->rect().contains(p.list->geometry()), opener);
            const QRect view = p.list->viewport()->rect();
            for (int i = 0; i < p.list->count(); ++i) {
                const QRect r = p.list->visualItemRect(p.list->item(i));
                QVERIFY2(view.contains(r),
                         qPrintable(QString("%1 item %2 \"%3\" at %4,%5 %6x%7 in %8x%9")
                                        .arg(opener)
                                        .arg(i)
                                        .arg(p.list->item(i)->text())
                                        .arg(r.x())
                                        .arg(r.y())
                                        .arg(r.width())
                                        .arg(r.height())
                                        .arg(view.width())
                                        .arg(view.height())));
                QVERIFY2(
                    r.width() >= p.list->fontMetrics().horizontalAdvance(p.list->item(i)->text()),
                    qPrintable(p.list->item(i)->text()));
            }
            f.pickers->ClosePickers();
        }
    }

    void leavingAnyListButFrequencyClosesEveryPicker_data() {
        QTest::addColumn<QString>("left");
        QTest::newRow("level") << "ListBox_Level_RLC";
        QTest::newRow("primary") << "ListBox_prim_RLC";
        QTest::newRow("secondary") << "ListBox_sec_RLC";
        QTest::newRow("circuit") << "ListBox_ser_per";
        QTest::newRow("source") << "ListBox_Source_RLC";
    }
    void leavingAnyListButFrequencyClosesEveryPicker() {
        QFETCH(QString, left);
        TForm1& f = *w_->form;
        ChooseModel(f, 1);
        for (const char* opener :
             {"L_freq_RLC", "L_Level_RLC", "L_Prim_RLC", "L_Sec_RLC", "L_SER_PER", "L_Source_RLC"})
            QTest::mouseClick(PickerOf(f, opener).opener, Qt::LeftButton);
        for (QFrame* p : Panels(f)) QVERIFY(p->isVisible());

        Leave(f.findChild<QListWidget*>(left));
        QVERIFY(!AnyPickerOpen(f));
        for (QListWidget* l : f.findChildren<QListWidget*>()) QVERIFY(!l->isVisibleTo(&f));
        QCOMPARE(f.state.DecodePaused, 0);
    }

    void frequencyListClosesOnlyWhenTheScreenIsArmed() {
        TForm1& f = *w_->form;
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        Leave(f.ListBox_freq_RLC);
        QVERIFY(f.P_freq_RLC->isVisible());

        // Armed at start: the first return onto the screen closes and disarms.
        Enter(f.Panel_RLCD);
        QVERIFY(!f.P_freq_RLC->isVisible());
        QVERIFY(!f.pickers->RlcdEnterArmed());

        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        Enter(f.Panel_RLCD);
        QVERIFY(f.P_freq_RLC->isVisible());
        QCOMPARE(f.state.DecodePaused, 1);

        // Entering the frequency list arms the screen again.
        Enter(f.ListBox_freq_RLC);
        Leave(f.ListBox_freq_RLC);
        QVERIFY(f.P_freq_RLC->isVisible());
        Enter(f.Panel_RLCD);
        QVERIFY(!f.P_freq_RLC->isVisible());
        QCOMPARE(f.state.DecodePaused, 0);
    }

    void otherScreensAlwaysClose_data() {
        QTest::addColumn<QString>("screen");
        QTest::newRow("RD") << "Panel_RD";
        QTest::newRow("U") << "Panel_U";
    }
    void otherScreensAlwaysClose() {
        QFETCH(QString, screen);
        TForm1& f = *w_->form;
        Enter(f.Panel_RLCD);  // disarms the RLCD screen
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        QTest::mouseClick(f.L_Level_RLC, Qt::LeftButton);
        Enter(f.findChild<QFrame*>(screen));
        QVERIFY(!AnyPickerOpen(f));
        QCOMPARE(f.state.DecodePaused, 0);
    }

    // The pickers are built when first needed: before the model changes, or
    // only after it, holding that model's lists from the start.
    void modelButtonRebuildsTheListsAndIsRemembered_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("frequencies");
        QTest::addColumn<int>("levels");
        QTest::addColumn<bool>("builtFirst");
        const struct {
            const char* name;
            int frequencies, levels;
        } models[] = {{"КС15", 15, 4}, {"КС16", 7, 4}, {"КС17", 6, 3}, {"КС19", 6, 4}};
        for (int model = 0; model < 4; ++model)
            for (const bool builtFirst : {true, false})
                QTest::addRow("%s, pickers built %s", models[model].name,
                              builtFirst ? "first" : "after")
                    << model << models[model].frequencies << models[model].levels << builtFirst;
    }
    void modelButtonRebuildsTheListsAndIsRemembered() {
        QFETCH(int, model);
        QFETCH(int, frequencies);
        QFETCH(int, levels);
        QFETCH(bool, builtFirst);
        TForm1& f = *w_->form;
        if (builtFirst) f.BuildHiddenParts();
        ChooseModel(f, model == 0 ? 2 : 0);  // start from another model
        f.Memo1Click();
        QVERIFY(f.P16->isVisible());
        ChooseModel(f, model);
        QCOMPARE(f.PickersBuilt(), builtFirst);
        QCOMPARE(f.ListBox_freq_RLC->count(), frequencies);
        QCOMPARE(f.ListBox_Level_RLC->count(), levels);
        QCOMPARE(f.L_Source_RLC->isVisible(), model == 1);
        QVERIFY(!f.P16->isVisible());
        QFile dat(w_->fixture->settingsDir.path() + "/1.dat");
        QVERIFY(dat.open(QIODevice::ReadOnly));
        const QByteArray bytes = dat.readAll();
        QVERIFY(bytes.size() > 205);
        QCOMPARE(int(bytes.at(205)), model);
    }

    void hoverRaisesTheOpenersBevel_data() {
        QTest::addColumn<QString>("hovered");
        QTest::addColumn<QString>("raised");
        for (const char* name : {"L_freq_RLC", "L_Level_RLC", "L_Prim_RLC", "L_Sec_RLC",
                                 "L_SER_PER", "L_SER_PER1", "L_Source_RLC", "RD_prim_R", "RD_V"})
            QTest::newRow(name) << name << name;
        QTest::newRow("auto marker raises the symbol") << "L_RLC_avto"
                                                       << "L_Prim_RLC";
    }
    void hoverRaisesTheOpenersBevel() {
        QFETCH(QString, hovered);
        QFETCH(QString, raised);
        TForm1& f = *w_->form;
        auto* h = f.findChild<QLabel*>(hovered);
        auto* r = f.findChild<QLabel*>(raised);
        Enter(h);
        QCOMPARE(r->frameShape(), QFrame::Panel);
        QCOMPARE(r->frameShadow(), QFrame::Raised);
        Leave(h);
        QCOMPARE(r->frameShape(), QFrame::NoFrame);
        QVERIFY(!AnyPickerOpen(f));  // hovering opens nothing
    }

  private:
    std::unique_ptr<ShownForm> w_;
};

QTEST_MAIN(PickersTest)
#include "test_pickers.moc"

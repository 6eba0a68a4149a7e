// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "app/widget_factory.h"
#include "support/form_fixture.h"

namespace {

QStringList Items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        form_ = fixture_->form.get();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_));
    }
    void cleanup() { fixture_.reset(); }

    void startsWithOnlyTheRlcdScreenAndNoPicker() {
        TForm1& f = *form_;
        QVERIFY(f.Panel_RLCD->isVisible());
        QVERIFY(!f.Panel_RD->isVisible());
        QVERIFY(!f.Panel_U->isVisible());
        // Nothing at start has reached for the pickers, and built they stay hidden.
        QVERIFY(!f.PickersBuilt());
        for (QFrame* picker :
             std::initializer_list<QFrame*>{f.P_prim_RLC, f.P_sec_RLC, f.P_ser_per, f.P_level_RLC,
                                            f.P_freq_RLC, f.P_Source_RLC})
            QVERIFY2(!picker->isVisible(), qPrintable(picker->objectName()));
        QVERIFY(!f.JP5->isVisible());
        QVERIFY(!f.P16->isVisible());
        QVERIFY(!f.SP5->isVisible());
        QVERIFY(f.LangCombo1->isVisible());
        QVERIFY(!f.L_Source_RLC->isVisible());
    }

    void startsWithRecordingAndSavingDisabledAndProfileEditingDown() {
        TForm1& f = *form_;
        QVERIFY(!f.SP1->isEnabled());
        QVERIFY(!f.SB3->isEnabled());
        QVERIFY(f.SB4->isCheckable() && f.SB4->isChecked());
        QVERIFY(f.SP1->isCheckable() && !f.SP1->isChecked());
        QCOMPARE(f.SP1->text(), QString("Пуск"));
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QCOMPARE(f.windowTitle(), QString("Регистратор данных для RLC метров КС версия 1.8"));
    }

    // Never smaller than its design (1024 x 600); wider and taller as the
    // user likes.
    void keepsItsMinimumSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expectedWidth");
        QTest::addColumn<int>("expectedHeight");
        QTest::newRow("too low") << 1024 << 400 << 1024 << 600;
        QTest::newRow("too narrow and low") << 700 << 300 << 1024 << 600;
        QTest::newRow("wide") << 1400 << 700 << 1400 << 700;
        QTest::newRow("tall") << 1024 << 800 << 1024 << 800;
    }
    void keepsItsMinimumSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, expectedWidth);
        QFETCH(int, expectedHeight);
        form_->resize(width, height);
        QTRY_COMPARE(form_->height(), expectedHeight);
        QCOMPARE(form_->width(), expectedWidth);
    }

    void memoClickOpensModelChooserUntilThePointerLeaves() {
        TForm1& f = *form_;
        QTest::mouseClick(f.Memo1->viewport(), Qt::LeftButton);
        QVERIFY(f.P16->isVisible());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(f.P16, &leave);
        QVERIFY(!f.P16->isVisible());
    }

    void memoClickDoesNothingOnceConnected() {
        TForm1& f = *form_;
        f.DisableModelChooserClick();
        QTest::mouseClick(f.Memo1->viewport(), Qt::LeftButton);
        QVERIFY(!f.P16->isVisible());
    }

    void pointerOverSideReadoutsHidesTheCaret() {
        TForm1& f = *form_;
        f.L_righ5->show();
        f.L_righ6->show();
        f.L_righ5->setText("V 1,000");
        f.L_righ5->setFocus();
        f.L_righ5->selectAll();
        QTest::mouseMove(f.L_righ6, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.L_righ6, &move);
        QVERIFY(!f.L_righ5->hasFocus());
        QVERIFY(!f.L_righ5->hasSelectedText());
    }

    void comboBoxesHoldTheirItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("editable");
        // Fractions are written with the locale's decimal separator.
        const QString point = QLocale().decimalPoint();
        const QStringList tolerances = {"выкл.",
                                        "0" + point + "2%",
                                        "0" + point + "3%",
                                        "0" + point + "5%",
                                        "1%",
                                        "2%",
                                        "3%",
                                        "5%",
                                        "10%",
                                        "20%",
                                        ">",
                                        "<"};
        QTest::newRow("CBox10") << "CBox10" << QStringList{"Измерение 1 детали", "Мульти"} << 0
                                << false;
        QTest::newRow("CBox6") << "CBox6" << QStringList{"R1"} << 0 << true;
        QTest::newRow("CBox2") << "CBox2" << QStringList{"R", "L", "C"} << 0 << false;
        QTest::newRow("CBox5") << "CBox5" << tolerances << 0 << true;
        QTest::newRow("CBox51") << "CBox51" << tolerances << 0 << true;
        QTest::newRow("CBox1") << "CBox1" << QStringList{"Ом", "кОм", "МОм"} << 0 << false;
        QTest::newRow("CBox3") << "CBox3" << QStringList{"мкГн", "мГн", "Гн"} << 0 << false;
        QTest::newRow("CBox4") << "CBox4" << QStringList{"рФ", "нФ", "мкФ"} << 0 << false;
        QTest::newRow("CBox11") << "CBox11" << QStringList{"R", "Q", "D"} << 0 << false;
        QTest::newRow("CBox31") << "CBox31" << QStringList{"Ом", "кОм", "МОм"} << 0 << false;
        QTest::newRow("CB1") << "CB1" << QStringList{"0.5с", "1с", "2с"} << 1 << false;
    }
    void comboBoxesHoldTheirItems() {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        QFETCH(bool, editable);
        auto* combo = form_->findChild<QComboBox*>(name);
        QVERIFY(combo);
        QCOMPARE(Items(combo), items);
        QCOMPARE(combo->currentIndex(), selected);
        QCOMPARE(combo->isEditable(), editable);
    }

    void referenceControlsStartAsDesigned() {
        TForm1& f = *form_;
        QVERIFY(f.CBox1->isVisibleTo(&f));
        QVERIFY(!f.CBox3->isVisibleTo(&f));
        QVERIFY(!f.CBox4->isVisibleTo(&f));
        QCOMPARE(f.CBox5->currentText(), QString("выкл."));
        QCOMPARE(f.CBox5->maxVisibleItems(), 16);
        QCOMPARE(f.CBox6->maxVisibleItems(), 20);
        QCOMPARE(f.CBox6->lineEdit()->maxLength(), 18);
        for (QLineEdit* e : {f.E2, f.E11}) {
            QCOMPARE(e->text(), QString("10000"));
            QCOMPARE(e->maxLength(), 7);
        }
        QVERIFY(!f.BB2->isVisibleTo(&f));
    }

    void timersHaveTheirIntervalsAndOnlyTheLinkWatchRuns_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("running");
        QTest::newRow("T2") << "T2" << 2000 << false;
        QTest::newRow("T3") << "T3" << 2500 << true;
        QTest::newRow("T4") << "T4" << 1000 << false;
        QTest::newRow("T14") << "T14" << 500 << false;
        QTest::newRow("T33") << "T33" << 3000 << false;
        QTest::newRow("T34") << "T34" << 2000 << false;
        QTest::newRow("T50") << "T50" << 2000 << false;
        QTest::newRow("Timer_TX") << "Timer_TX" << 50 << false;
    }
    void timersHaveTheirIntervalsAndOnlyTheLinkWatchRuns() {
        QFETCH(QString, name);
        QFETCH(int, interval);
        QFETCH(bool, running);
        auto* t = form_->findChild<QTimer*>(name);
        QVERIFY(t);
        QCOMPARE(t->interval(), interval);
        QCOMPARE(t->isActive(), running);
    }

    void windowFontIsCalibriOrItsStandIn_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("family");
        QTest::newRow("calibri installed") << QStringList{"DejaVu Sans", "Calibri"} << "Calibri";
        QTest::newRow("both installed") << QStringList{"Carlito", "Calibri"} << "Calibri";
        QTest::newRow("only its stand-in") << QStringList{"DejaVu Sans", "carlito"} << "Carlito";
        // Not what the font system would put in for a missing Calibri.
        QTest::newRow("neither") << QStringList{"DejaVu Sans", "DejaVu Math TeX Gyre"}
                                 << "DejaVu Sans";
    }
    void windowFontIsCalibriOrItsStandIn() {
        QFETCH(QStringList, installed);
        QFETCH(QString, family);
        QCOMPARE(widgets::WindowFontFamily(installed, "DejaVu Sans"), family);
    }

    // A font wider than the design's is drawn smaller in proportion, one no
    // wider at its design size.
    void widerFontsAreDrawnSmaller() {
        QFont carlito("Carlito");
        if (QFontInfo(carlito).family() == "Carlito") QCOMPARE(widgets::DesignScale(carlito), 1.0);
        QFont dejavu("DejaVu Sans");
        if (QFontInfo(dejavu).family() != "DejaVu Sans") QSKIP("DejaVu Sans is not installed");
        const double scale = widgets::DesignScale(dejavu);
        QVERIFY2(scale > 0.7 && scale < 0.8, qPrintable(QString::number(scale)));
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* form_ = nullptr;
};

QTEST_MAIN(WindowTest)
#include "test_window.moc"

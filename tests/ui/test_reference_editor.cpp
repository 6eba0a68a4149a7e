// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main.h"
#include "control/reference_editor.h"
#include "support/form_fixture.h"
#include "support/rlcd_frames.h"

namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

}  // namespace

// The reference editor on a shown window with a comma locale: what typing does
// to the boxes, where the focus goes, which unit list shows.
class ReferenceEditorTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_));
        QApplication::setActiveWindow(f_);
    }
    void cleanup() { fixture_.reset(); }

    void typedReferenceKeepsDigitsAndOneSeparator_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letters and extra commas") << "1a2,3,4"
                                                  << "12,34";
        QTest::newRow("leading comma") << ",5,6"
                                       << "5,6";
        QTest::newRow("sign and blank") << "-1 5"
                                        << "15";
        QTest::newRow("point in a comma locale") << "1.5"
                                                 << "15";
    }
    void typedReferenceKeepsDigitsAndOneSeparator() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        for (QLineEdit* edit : {f_->E2, f_->E11}) {
            edit->setFocus();
            edit->clear();
            QTest::keyClicks(edit, typed);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(edit->cursorPosition(), shown.size());
        }
    }

    void caretStaysWhereTheUserTyped() {
        f_->E2->setFocus();
        f_->E2->setText("1234");
        f_->E2->setCursorPosition(2);
        QTest::keyClick(f_->E2, Qt::Key_X);
        QCOMPARE(f_->E2->text(), QString("1234"));
        QCOMPARE(f_->E2->cursorPosition(), 2);
    }

    void typedToleranceGetsPercentAndFocusMovesOn() {
        f_->CBox5->setFocus();
        f_->CBox5->lineEdit()->clear();
        QTest::keyClicks(f_->CBox5->lineEdit(), "5");
        QCOMPARE(f_->CBox5->currentText(), QString("5%"));
        QCOMPARE(QApplication::focusWidget(), f_->SE2);

        f_->CBox51->setFocus();
        f_->CBox51->lineEdit()->clear();
        QTest::keyClicks(f_->CBox51->lineEdit(), "1");
        QCOMPARE(f_->CBox51->currentText(), QString("1%"));
        QCOMPARE(QApplication::focusWidget(), f_->CBox2);
    }

    void chosenOffAndLimitEntriesStayAsChosen_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("shown");
        QTest::newRow("off") << 0 << "выкл.";
        QTest::newRow("0,2%") << 1 << "0,2%";
        QTest::newRow("above") << 10 << ">";
        QTest::newRow("below") << 11 << "<";
    }
    void chosenOffAndLimitEntriesStayAsChosen() {
        QFETCH(int, item);
        QFETCH(QString, shown);
        for (QComboBox* box : {f_->CBox5, f_->CBox51}) {
            box->setCurrentIndex(item);
            emit box->activated(item);
            QCOMPARE(box->currentText(), shown);
        }
    }

    void toleranceItemsUseTheLocalesSeparator() {
        const QStringList comma = {"выкл.", "0,2%", "0,3%", "0,5%", "1%", "2%",
                                   "3%",    "5%",   "10%",  "20%",  ">",  "<"};
        QCOMPARE(Items(f_->CBox5), comma);
        QCOMPARE(Items(f_->CBox51), comma);
        QCOMPARE(f_->CBox5->currentText(), QString("выкл."));

        // Under a point locale "0.2%" means 0.2 %, not 2 %.
        QLocale::setDefault(QLocale::c());
        FormFixture point;
        TForm1& f = *point.form;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(f.CBox5->itemText(1), QString("0.2%"));
        f.CBox5->setCurrentIndex(1);
        emit f.CBox5->activated(1);
        QCOMPARE(f.CBox5->currentText(), QString("0.2%"));
        f.E2->setText("1000");
        f.SB4->setChecked(false);
        FeedRlcd(f, {.rs = 1001.5f});  // +0.15 %
        QCOMPARE(f.screen.State().ToleranceVerdict, 0);
        FeedRlcd(f, {.rs = 1003.0f});  // +0.3 %
        QCOMPARE(f.screen.State().ToleranceVerdict, 1);
    }

    void parameterChoiceShowsItsUnitList_data() {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("shown");
        QTest::newRow("R") << 0 << "CBox1";
        QTest::newRow("L") << 1 << "CBox3";
        QTest::newRow("C") << 2 << "CBox4";
    }
    void parameterChoiceShowsItsUnitList() {
        QFETCH(int, parameter);
        QFETCH(QString, shown);
        f_->CBox4->setCurrentIndex(1);
        f_->CBox2->setCurrentIndex(parameter);
        for (QComboBox* unit : {f_->CBox1, f_->CBox3, f_->CBox4})
            QCOMPARE(unit->isVisible(), unit->objectName() == shown);
        QCOMPARE(f_->CBox4->currentIndex(), 1);  // a hidden box keeps its choice

        const bool secondaryUnit = parameter == 0;  // R; Q and D have none
        f_->CBox11->setCurrentIndex(parameter);
        QCOMPARE(f_->CBox31->isVisible(), secondaryUnit);
    }

    // Every control of the reference area shows whole: none lies over another
    // or outside its panel, so both tolerance boxes show their arrows.
    void referenceControlsShowWhole() {
        for (int parameter = 0; parameter < 3; ++parameter) {
            f_->CBox2->setCurrentIndex(parameter);
            QApplication::processEvents();
            for (QWidget* panel :
                 {static_cast<QWidget*>(f_->Panel8), static_cast<QWidget*>(f_->Panel11)}) {
                QList<QWidget*> shown;
                for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (w->isVisible()) shown << w;
                QVERIFY(shown.size() >= 4);
                for (QWidget* w : shown) {
                    QVERIFY2(panel->rect().contains(w->geometry()), qPrintable(w->objectName()));
                    QVERIFY2(w->width() >= w->minimumSizeHint().width(),
                             qPrintable(w->objectName()));
                    for (QWidget* other : shown)
                        if (other != w)
                            QVERIFY2(!w->geometry().intersects(other->geometry()),
                                     qPrintable(w->objectName() + " " + other->objectName()));
                }
                QVERIFY(f_->Panel7->rect().contains(panel->geometry()));
            }
        }
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(ReferenceEditorTest)
#include "test_reference_editor.moc"

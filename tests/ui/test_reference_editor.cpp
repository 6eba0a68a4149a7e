// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/log_grid.h"
#include "app/log_table_model.h"
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

    // A typed tolerance stays in its box while it is typed ("0,5" would be
    // cut to "0%" after its first key otherwise); confirming it moves on.
    void typedToleranceStaysUntilConfirmed_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("next");
        for (const char* box : {"CBox5", "CBox51"}) {
            const QString next = QString(box) == "CBox5" ? "SE2" : "CBox2";
            QTest::addRow("%s Return", box) << box << "Return" << next;
            QTest::addRow("%s Enter", box) << box << "Enter" << next;
            QTest::addRow("%s Tab", box) << box << "Tab" << next;
            QTest::addRow("%s click elsewhere", box) << box << "click"
                                                     << "E11";
        }
    }
    void typedToleranceStaysUntilConfirmed() {
        QFETCH(QString, box);
        QFETCH(QString, confirm);
        QFETCH(QString, next);
        auto* combo = f_->findChild<QComboBox*>(box);
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        combo->lineEdit()->selectAll();
        for (const char* key : {"0", ",", "5"}) {
            QTest::keyClicks(QApplication::focusWidget(), key);
            QVERIFY2(QApplication::focusWidget() == combo ||
                         QApplication::focusWidget() == combo->lineEdit(),
                     "the focus left while typing");
        }
        QCOMPARE(combo->currentText(), QString("0,5%"));
        if (confirm == "Return") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (confirm == "Enter") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        if (confirm == "Tab") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (confirm == "click") QTest::mouseClick(f_->E11, Qt::LeftButton);
        QCOMPARE(combo->currentText(), QString("0,5%"));
        QWidget* expected = f_->findChild<QWidget*>(next);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus == expected || expected->isAncestorOf(focus),
                 qPrintable(focus ? focus->objectName() : QString("nothing")));
    }

    // A tolerance typed away to no number ("%" after a Space over the selected
    // text, or Backspace) is refused when confirmed: the box gets back the
    // tolerance it had, and parts are not all rejected as invalid input.
    void toleranceWithoutNumberIsRefused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typing");
        QTest::addColumn<QString>("confirm");
        for (const char* box : {"CBox5", "CBox51"})
            for (const char* typing : {"Space", "Backspace"})
                for (const char* confirm : {"Return", "Tab", "click"})
                    QTest::addRow("%s %s %s", box, typing, confirm) << box << typing << confirm;
    }
    void toleranceWithoutNumberIsRefused() {
        QFETCH(QString, box);
        QFETCH(QString, typing);
        QFETCH(QString, confirm);
        auto* combo = f_->findChild<QComboBox*>(box);
        combo->setCurrentIndex(4);  // 1%
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        combo->lineEdit()->selectAll();
        QTest::keyClick(QApplication::focusWidget(),
                        typing == "Space" ? Qt::Key_Space : Qt::Key_Backspace);
        QVERIFY(!combo->currentText().contains('1'));
        if (confirm == "Return") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (confirm == "Tab") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (confirm == "click") QTest::mouseClick(f_->E11, Qt::LeftButton);
        QCOMPARE(combo->currentText(), QString("1%"));

        // 1000 Ω against 1000 Ω, Q against Q: both within 1 %.
        f_->E2->setText("1");
        f_->CBox1->setCurrentIndex(1);
        f_->CBox11->setCurrentIndex(logcore::secondary::Q);
        f_->E11->setText("2");
        FeedRlcd(*f_, {.rs = 1000.0f, .xs = 2000.0f});
        QCOMPARE(f_->screen.State().ToleranceVerdict, 0);
    }

    // Chosen from the list, a tolerance moves the focus on at once.
    void chosenToleranceMovesTheFocusOn() {
        for (auto [box, next] : {std::pair<QComboBox*, QWidget*>{f_->CBox5, f_->SE2},
                                 std::pair<QComboBox*, QWidget*>{f_->CBox51, f_->CBox2}}) {
            QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
            box->showPopup();
            QAbstractItemView* view = box->view();
            QTest::qWait(QApplication::doubleClickInterval() + 100);
            const QRect item = view->visualRect(view->model()->index(3, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
            QTRY_VERIFY(!view->isVisible());
            QCOMPARE(box->currentText(), QString("0,5%"));
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus == next || next->isAncestorOf(focus));
        }
    }

    // A unit prefix typed into a value ("1k") chooses the unit beside it and
    // the box keeps the number; where the list lacks the unit the number is
    // written in the nearest one.
    void typedPrefixChoosesTheUnit_data() {
        QTest::addColumn<bool>("primary");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("unitBox");
        QTest::addColumn<QString>("unit");
        QTest::newRow("1k R") << true << 0 << "1k"
                              << "1"
                              << "CBox1"
                              << "кОм";
        QTest::newRow("4,7M R") << true << 0 << "4,7M"
                                << "4,7"
                                << "CBox1"
                                << "МОм";
        QTest::newRow("1G R") << true << 0 << "1G"
                              << "1000"
                              << "CBox1"
                              << "МОм";
        QTest::newRow("10мк L") << true << 1 << "10мк"
                                << "10"
                                << "CBox3"
                                << "мкГн";
        QTest::newRow("22m L") << true << 1 << "22m"
                               << "22"
                               << "CBox3"
                               << "мГн";
        QTest::newRow("100n C") << true << 2 << "100n"
                                << "100"
                                << "CBox4"
                                << "нФ";
        QTest::newRow("2,2п C") << true << 2 << "2,2п"
                                << "2,2"
                                << "CBox4"
                                << "рФ";
        QTest::newRow("1к secondary R") << false << 0 << "1к"
                                        << "1"
                                        << "CBox31"
                                        << "кОм";
        QTest::newRow("1k Q") << false << 1 << "1k"
                              << "1000"
                              << ""
                              << "";
    }
    void typedPrefixChoosesTheUnit() {
        QFETCH(bool, primary);
        QFETCH(int, parameter);
        QFETCH(QString, typed);
        QFETCH(QString, value);
        QFETCH(QString, unitBox);
        QFETCH(QString, unit);
        (primary ? f_->CBox2 : f_->CBox11)->setCurrentIndex(parameter);
        QLineEdit* edit = primary ? f_->E2 : f_->E11;
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        for (const QChar ch : typed) {
            QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QCOMPARE(edit->text(), value);
        if (!unitBox.isEmpty()) QCOMPARE(f_->findChild<QComboBox*>(unitBox)->currentText(), unit);
    }

    // "1k" against a 1 kΩ part passes, where the dropped letter made it 1 Ω.
    void kiloReferenceSortsAKiloOhmPart() {
        f_->CBox5->setCurrentIndex(4);  // 1%
        emit f_->CBox5->activated(4);
        QTest::mouseClick(f_->E2, Qt::LeftButton);
        f_->E2->selectAll();
        QTest::keyClicks(f_->E2, "1k");
        f_->SB4->setChecked(false);
        FeedRlcd(*f_, {.rs = 1004.0f});
        QCOMPARE(f_->screen.State().ToleranceVerdict, 0);
    }

    // A row written after the reference was emptied shows the reject mark and
    // no deviation, not the one left from the earlier reference.
    void emptiedReferenceLeavesNoOldDeviationInTheRow() {
        TForm1& f = *f_;
        f.state.MeterConnected = true;
        f.SB4->setChecked(false);
        f.CBox5->setCurrentIndex(5);  // 2%
        emit f.CBox5->activated(5);
        FeedRlcd(f, {.rs = 1000.0f});  // against 10000 Ом: -90 %
        auto spaceFromTheUnitList = [&f] {
            QTest::mouseClick(f.CBox1, Qt::LeftButton);
            if (QWidget* popup = QApplication::activePopupWidget())
                QTest::keyClick(popup, Qt::Key_Escape);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        };
        spaceFromTheUnitList();
        const LogTableModel& cells = f.SG->Cells();
        QCOMPARE(cells.Cell(1, 7), QString("+"));
        QCOMPARE(cells.Cell(1, 8), QString("-90,00"));

        QTest::mouseClick(f.E2, Qt::LeftButton);
        f.E2->selectAll();
        QTest::keyClick(f.E2, Qt::Key_Backspace);
        QCOMPARE(f.E2->text(), QString());
        FeedRlcd(f, {.rs = 1000.0f});
        QCOMPARE(f.screen.State().ToleranceVerdict, 20);
        spaceFromTheUnitList();
        QCOMPARE(cells.Cell(2, 0), QString("2"));
        QCOMPARE(cells.Cell(2, 7), QString("+"));
        QCOMPARE(cells.Cell(2, 8), QString());
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

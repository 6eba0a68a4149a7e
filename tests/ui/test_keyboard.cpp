// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "app/log_grid.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/picker_control.h"
#include "control/recording_control.h"
#include "support/pty_port.h"
#include "support/rlcd_frames.h"

namespace {

// The window as a person has it in front of them: shown and active, its
// adapter a pseudo-terminal, exports handed to a recorder instead of a
// spreadsheet program.
struct ActiveWindow {
    PtyPort port;
    QTemporaryDir settingsDir;
    QStringList opened;
    std::unique_ptr<TForm1> form;

    bool Start() {
        auto locator = std::make_unique<FixedPortLocator>(QString());
        FixedPortLocator* found = locator.get();
        TForm1Ports ports;
        ports.locator = std::move(locator);
        ports.settingsFolder = settingsDir.path();
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        ports.openDocument = [this](const QString& path) {
            opened << path;
            return true;
        };
        form = std::make_unique<TForm1>(std::move(ports));
        form->show();
        QApplication::setActiveWindow(form.get());
        if (!QTest::qWaitForWindowActive(form.get())) return false;
        // After the start-up probe, so it writes nothing here.
        found->SetPath(port.Path());
        if (!form->connection->Serial().FindAdapterPort()) return false;
        port.Drain();
        return true;
    }
    // The meter's link is up, as after "OK+CONN".
    void Connect() { form->connection->Serial().HandleSerialInput("OK+CONN\r\n"); }
};

// A key as a person presses it: it starts at whatever has the focus.
QWidget* FocusTarget(TForm1& f) {
    QWidget* w = QApplication::focusWidget();
    return w ? w : &f;
}
void Press(TForm1& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // The offscreen platform may leave no window active after a list closed;
    // on a desktop the window keeps the keyboard.
    if (QApplication::activeWindow() != &f) QApplication::setActiveWindow(&f);
    QTest::keyClick(FocusTarget(f), key, modifiers);
}
void PressText(TForm1& f, const QString& text) {
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, FocusTarget(f), Qt::Key_unknown, QString(ch),
                            Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, FocusTarget(f), Qt::Key_unknown, QString(ch),
                            Qt::NoModifier);
    }
}

int FilledRows(const TForm1& f) {
    int n = 0;
    for (int r = 1; r < f.SG->Cells().RowCount(); ++r)
        if (!f.SG->Cells().Cell(r, 0).isEmpty()) ++n;
    return n;
}

// A click on a list box leaves its list open; Esc closes it with the focus
// left on the box, where a person's next key goes.
void ClickAndClose(QWidget* w) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) w = area->viewport();
    QTest::mouseClick(w, Qt::LeftButton);
    if (QWidget* popup = QApplication::activePopupWidget()) QTest::keyClick(popup, Qt::Key_Escape);
}

}  // namespace

// What the keyboard does to the log, the recording mode and the buttons,
// with the focus wherever a person's clicks left it.
class KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        w_ = std::make_unique<ActiveWindow>();
        QVERIFY(w_->Start());
        w_->Connect();
        w_->form->T4->stop();  // no wake command pausing the decoder in between
        FeedRlcd(*w_->form, {});
    }
    void cleanup() { w_.reset(); }

    // Where the window puts the focus at start, space after space records a
    // row each, and Return afterwards clears nothing.
    void spacesWithTheFocusOfTheStartRecordAndReturnKeepsThem() {
        TForm1& f = *w_->form;
        for (int i = 1; i <= 4; ++i) {
            Press(f, Qt::Key_Space);
            QVERIFY2(!QApplication::activePopupWidget(), "a list dropped open");
            FeedRlcd(f, {});
        }
        QCOMPARE(FilledRows(f), 4);
        QCOMPARE(f.SE1->value(), 5);
        Press(f, Qt::Key_Return);
        Press(f, Qt::Key_Enter);
        QCOMPARE(FilledRows(f), 4);
        QCOMPARE(f.SE1->value(), 5);
        QCOMPARE(f.CBox10->currentIndex(), 0);
    }

    void spaceRecordsWhereverItDoesNotType_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("records");
        QTest::newRow("recording mode list") << "CBox10" << true;
        QTest::newRow("report interval list") << "CB1" << true;
        QTest::newRow("primary parameter list") << "CBox2" << true;
        QTest::newRow("start position spinner") << "SE1" << true;
        QTest::newRow("auto-connect box") << "CheckBox_connect_auto" << true;
        QTest::newRow("log grid") << "SG" << true;
        QTest::newRow("reference value") << "E2" << false;
        QTest::newRow("entry name") << "CBox6" << false;
        QTest::newRow("tolerance") << "CBox5" << false;
    }
    void spaceRecordsWhereverItDoesNotType() {
        QFETCH(QString, control);
        QFETCH(bool, records);
        TForm1& f = *w_->form;
        auto* w = f.findChild<QWidget*>(control);
        QVERIFY(w);
        if (auto* box = qobject_cast<QComboBox*>(w); box && box->isEditable())
            QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
        else
            ClickAndClose(w);
        QVERIFY(w->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == w);
        const bool autoConnect = f.CheckBox_connect_auto->isChecked();
        const QString typedBefore = f.CBox6->currentText();

        Press(f, Qt::Key_Space);
        QCOMPARE(FilledRows(f), records ? 1 : 0);
        QVERIFY2(!QApplication::activePopupWidget(), "a list dropped open");
        QCOMPARE(f.CheckBox_connect_auto->isChecked(), autoConnect);
        if (control == "CBox6")
            QCOMPARE(f.CBox6->currentText().count(' '), typedBefore.count(' ') + 1);
    }

    // Without a window manager the window may get keys without being the
    // active window; the space key still records and opens no list.
    void spaceRecordsAlsoWhenTheWindowIsNotTheActiveOne() {
        TForm1& f = *w_->form;
        ClickAndClose(f.CBox10);
        QApplication::setActiveWindow(nullptr);
        QVERIFY(!QApplication::focusWidget());
        QCOMPARE(f.focusWidget(), f.CBox10);
        QTest::keyClick(f.CBox10, Qt::Key_Space);
        QCOMPARE(FilledRows(f), 1);
        QVERIFY2(!QApplication::activePopupWidget(), "a list dropped open");
    }

    // Neither a key nor the wheel steps the recording mode (which would stop
    // the run and empty the log) or the language; their lists still can.
    void strayKeysLeaveTheModeAndTheLanguage_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        for (const char* list : {"CBox10", "LangCombo1"}) {
            const QString l(list);
            QTest::addRow("%s Down", list) << l << int(Qt::Key_Down) << QString();
            QTest::addRow("%s Up", list) << l << int(Qt::Key_Up) << QString();
            QTest::addRow("%s PageDown", list) << l << int(Qt::Key_PageDown) << QString();
            QTest::addRow("%s End", list) << l << int(Qt::Key_End) << QString();
            QTest::addRow("%s letter", list) << l << int(Qt::Key_unknown) << QString("М");
            QTest::addRow("%s wheel", list) << l << -1 << QString();
        }
    }
    void strayKeysLeaveTheModeAndTheLanguage() {
        QFETCH(QString, list);
        QFETCH(int, key);
        QFETCH(QString, text);
        TForm1& f = *w_->form;
        auto* box = f.findChild<QComboBox*>(list);
        QVERIFY(box && box->count() >= 2);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SP1->isChecked());
        FeedRlcd(f, {});
        FeedRlcd(f, {});
        QCOMPARE(FilledRows(f), 2);
        ClickAndClose(box);
        const int before = box->currentIndex();
        for (int i = 0; i < 3; ++i) {
            if (key == -1) {
                const QPoint at = box->rect().center();
                QWheelEvent wheel(at, box->mapToGlobal(at), {}, QPoint(0, i == 1 ? 120 : -120),
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(box, &wheel);
            } else if (!text.isEmpty()) {
                PressText(f, text);
            } else {
                Press(f, Qt::Key(key));
            }
        }
        QCOMPARE(box->currentIndex(), before);
        QVERIFY(f.SP1->isChecked());
        QCOMPARE(FilledRows(f), 2);

        // Chosen in the open list, the other mode is taken.
        if (list == "CBox10") {
            box->showPopup();
            QTest::keyClick(box->view(), Qt::Key_Down);
            QTest::keyClick(box->view(), Qt::Key_Return);
            QCOMPARE(f.recording->Mode(), RecordingControl::Multi);
            QVERIFY(!f.SP1->isChecked());
            QVERIFY(!f.B5->isEnabled());
        }
    }

    // Return or a click on the mode already chosen closes the list and
    // changes nothing.
    void choosingTheCurrentModeAgainClearsNothing_data() {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("Return") << false;
        QTest::newRow("click") << true;
    }
    void choosingTheCurrentModeAgainClearsNothing() {
        QFETCH(bool, byMouse);
        TForm1& f = *w_->form;
        ClickAndClose(f.CBox10);
        Press(f, Qt::Key_Space);
        FeedRlcd(f, {});
        Press(f, Qt::Key_Space);
        QCOMPARE(FilledRows(f), 2);
        QTest::mouseClick(f.CBox10, Qt::LeftButton);
        QAbstractItemView* view = f.CBox10->view();
        QVERIFY(view->isVisible());
        if (byMouse) {
            // A release right after the list opened is taken as the end of
            // the opening click, not as a choice.
            QTest::qWait(QApplication::doubleClickInterval() + 100);
            const QRect item = view->visualRect(view->model()->index(0, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        } else {
            QTest::keyClick(view, Qt::Key_Return);
        }
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(FilledRows(f), 2);
        QCOMPARE(f.SE1->value(), 3);
    }

    void shortcutsWorkTheButtonsAndShowInTheirTooltips() {
        TForm1& f = *w_->form;
        const struct {
            QPushButton* button;
            const char* key;
        } shown[] = {{f.SP1, "F5"}, {f.B2, "F6"}, {f.Button4, "Ctrl+E"}, {f.B5, "Ctrl+L"}};
        for (const auto& s : shown) {
            QVERIFY2(s.button->toolTip().endsWith(QString(" (%1)").arg(s.key)),
                     qPrintable(s.button->toolTip()));
            QVERIFY(s.button->toolTip().size() > 12);
            QCOMPARE(s.button->focusPolicy(), Qt::NoFocus);
        }

        Press(f, Qt::Key_F5);
        QVERIFY(f.SP1->isChecked());
        QCOMPARE(f.SP1->text(), QString("Стоп"));
        FeedRlcd(f, {});
        Press(f, Qt::Key_F5);
        QVERIFY(!f.SP1->isChecked());
        QCOMPARE(FilledRows(f), 1);

        Press(f, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(w_->opened.size(), 1);

        // A text box keeps its own editing keys: deleting a word there is no
        // clear of the log.
        QTest::mouseClick(f.E2, Qt::LeftButton);
        Press(f, Qt::Key_Delete, Qt::ControlModifier);
        Press(f, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(FilledRows(f), 1);
        ClickAndClose(f.CB1);
        Press(f, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(FilledRows(f), 0);
        QCOMPARE(f.SE1->value(), 1);

        // Connect: the request goes out as a click would send it.
        f.connection->Serial().HandleSerialInput("OK+LOST");
        QVERIFY(!f.state.MeterConnected);
        f.connection->T2Timer();
        port().Drain();
        Press(f, Qt::Key_F6);
        QCOMPARE(port().Read(8), QByteArray("AT+CONNL"));
        QCOMPARE(f.B2->text(), QString(" "));
        // A disabled button's key does nothing.
        QVERIFY(!f.SP1->isEnabled());
        Press(f, Qt::Key_F5);
        QVERIFY(!f.SP1->isChecked());
    }

    void tooltipsFollowTheLanguage() {
        TForm1& f = *w_->form;
        f.connection->Serial().HandleSerialInput("OK+LOST");
        const QString russian = f.SP1->toolTip();
        const int english = f.LangCombo1->findText("English");
        QVERIFY(english > 0);
        f.LangCombo1->setCurrentIndex(english);
        emit f.LangCombo1->activated(english);
        QCOMPARE(f.SP1->toolTip(), QString("Start or stop recording (F5)"));
        QVERIFY(f.SP1->toolTip() != russian);
    }

    // Peeking at the report interval and closing its list without a choice
    // gives decoding back at once: the screen follows the meter and space
    // records again.
    void closingTheIntervalListWithoutAChoiceResumesDecoding_data() {
        QTest::addColumn<bool>("pickerOpen");
        QTest::newRow("no picker open") << false;
        QTest::newRow("a picker open") << true;
    }
    void closingTheIntervalListWithoutAChoiceResumesDecoding() {
        QFETCH(bool, pickerOpen);
        TForm1& f = *w_->form;
        if (pickerOpen) f.pickers->L_freq_RLCClick();
        QTest::mouseClick(f.CB1, Qt::LeftButton);
        QVERIFY(QApplication::activePopupWidget());
        QCOMPARE(f.state.DecodePaused, 1);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.CB1->currentIndex(), 1);
        // An open picker keeps its pause until it closes.
        QCOMPARE(f.state.DecodePaused, pickerOpen ? 1 : 0);
        if (pickerOpen) return;

        FeedRlcd(f, {.rs = 2200.0f});
        QVERIFY2(f.L_prim_n->text().contains("2,2"), qPrintable(f.L_prim_n->text()));
        Press(f, Qt::Key_Space);
        QCOMPARE(FilledRows(f), 1);
    }

    // A choice in the interval list still pauses decoding until the command
    // has gone out.
    void choosingAnIntervalSendsItAndPausesUntilItWent() {
        TForm1& f = *w_->form;
        port().Drain();
        QTest::mouseClick(f.CB1, Qt::LeftButton);
        QAbstractItemView* view = f.CB1->view();
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.CB1->currentIndex(), 2);
        const QByteArray sent = port().Read(6);
        QCOMPARE(sent.size(), 6);
        QCOMPARE(
            sent,
            QByteArray(reinterpret_cast<const char*>(f.connection->Commands().LastFrame().data()),
                       6));
        QCOMPARE(f.screen.Settings().Rate(), 1);
        QTRY_COMPARE(f.state.DecodePaused, 0);
    }

    // Whatever greys out the start button during a run (hold, the meter's
    // own hold, a lost link) waits until the run is stopped: stop always stops.
    void stopAlwaysStopsARun_data() {
        QTest::addColumn<QString>("during");
        QTest::newRow("hold button") << "SP3";
        QTest::newRow("meter holds") << "meter hold";
        QTest::newRow("link lost") << "lost";
    }
    void stopAlwaysStopsARun() {
        QFETCH(QString, during);
        TForm1& f = *w_->form;
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SP1->isChecked());
        FeedRlcd(f, {});
        QCOMPARE(FilledRows(f), 1);
        if (during == "SP3") {
            // The meter then reports what it was told.
            QTest::mouseClick(f.SP3, Qt::LeftButton);
            const bool held = f.screen.Settings().Hold() == 1;
            FeedRlcd(f, {.hold = held});
            QVERIFY2(!held, "hold could be switched on during a run");
        }
        if (during == "meter hold") FeedRlcd(f, {.hold = true});
        if (during == "lost") f.connection->Serial().HandleSerialInput("OK+LOST");
        QVERIFY(f.SP1->isEnabled());
        QCOMPARE(f.SP1->text(), QString("Стоп"));

        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(!f.SP1->isChecked());
        QCOMPARE(f.SP1->text(), QString("Пуск"));
        QVERIFY(f.SG->isEnabled());
        // Stopped, the start follows what a start needs.
        QCOMPARE(f.SP1->isEnabled(), during == "SP3");
        const int rows = FilledRows(f);
        FeedRlcd(f, {});
        QCOMPARE(FilledRows(f), rows);
    }

    // Walking the window with Tab and Shift+Tab during a run changes no
    // setting, no list and no spinner; the run goes on recording.
    void tabWalkChangesNothing_data() {
        QTest::addColumn<bool>("backwards");
        QTest::newRow("Tab") << false;
        QTest::newRow("Shift+Tab") << true;
    }
    void tabWalkChangesNothing() {
        QFETCH(bool, backwards);
        TForm1& f = *w_->form;
        const auto snapshot = [&f] {
            QStringList values;
            for (const QSpinBox* spin : f.findChildren<QSpinBox*>())
                if (spin != f.SE1)  // the next row's position, moved by recording
                    values << spin->objectName() + "=" + QString::number(spin->value());
            for (const QComboBox* box : f.findChildren<QComboBox*>())
                values << box->objectName() + "=" + box->currentText();
            for (const QAbstractButton* b : f.findChildren<QAbstractButton*>())
                if (b->isCheckable() && b != f.SP1)
                    values << b->objectName() + "=" + QString::number(b->isChecked());
            return values;
        };
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SP1->isChecked());
        const QStringList before = snapshot();
        for (int i = 0; i < 60; ++i) {
            Press(f, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY2(!QApplication::activePopupWidget(), "a list dropped open");
            FeedRlcd(f, {});
        }
        const QStringList after = snapshot();
        for (int i = 0; i < before.size(); ++i) QCOMPARE(after.value(i), before[i]);
        QVERIFY(f.SP1->isChecked());
        QCOMPARE(FilledRows(f), 60);
    }

  private:
    PtyPort& port() { return w_->port; }

    std::unique_ptr<ActiveWindow> w_;
};

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"

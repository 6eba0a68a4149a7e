// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <span>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/settings_controller.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/export_control.h"
#include "control/profile_control.h"
#include "control/recording_control.h"
#include "profiles/profile_file.h"
#include "protocol/command.h"
#include "support/failing_disk.h"
#include "support/rlcd_frames.h"
#include "support/shown_form.h"

namespace {

using testing_support::DiskFaultName;
using testing_support::FailingDisk;
using testing_support::TDiskFault;

profiles::TProfileEntry Entry(const std::string& name, std::uint8_t rate = 2) {
    profiles::TProfileEntry e;
    e.name = name;
    e.startPosition = 5;
    e.primaryTolerance = "1%";
    e.primaryParameter = 2;  // C
    e.primaryUnit = 1;       // нФ
    e.primaryReference = "4,7";
    e.secondaryTolerance = "OFF";
    e.secondaryParameter = 2;  // D
    e.secondaryReference = "0,1";
    protocol::TMeterSettings s;
    protocol::TMeterState st;
    protocol::ApplyDefaults(s, st);
    s.FreqAuto() = 0;
    s.FreqIndex() = 3;
    s.Rate() = rate;
    s.SourceIndex() = 2;  // not a value the meter takes
    s.Reserved17() = 7;
    e.settings = s.bytes;
    return e;
}

QByteArray ProfileBytes(const std::vector<std::string>& names) {
    profiles::Bytes f(profiles::kHeaderSize + names.size() * profiles::kEntrySize, 0);
    const auto count = static_cast<std::uint32_t>(names.size());
    for (int i = 0; i < 4; ++i)
        f[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count >> (8 * i));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto e = profiles::EncodeEntry(Entry(names[i], static_cast<std::uint8_t>(1 + i % 3)));
        std::copy(e.begin(), e.end(),
                  f.begin() +
                      static_cast<std::ptrdiff_t>(profiles::EntryOffset(static_cast<int>(i + 1))));
    }
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

profiles::TProfileEntry EntryOf(const QString& path, int n) {
    const QByteArray b = ReadAll(path);
    return profiles::ReadEntry(std::span(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                         static_cast<std::size_t>(b.size())),
                               n)
        .value_or(profiles::TProfileEntry{});
}

std::vector<std::string> Names(const QString& path) {
    const QByteArray b = ReadAll(path);
    std::vector<std::string> names;
    for (const auto& e :
         profiles::ReadProfile(std::span(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                         static_cast<std::size_t>(b.size())))
             .entries)
        names.push_back(e.name);
    return names;
}

// Answers the next file dialog with `path`, as a user typing it would; an
// empty path cancels it.
void AnswerDialog(const QString& path) {
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->nameFilters(), QStringList{"*.hex1"});
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

// Text of the newest message box the profile buttons opened; closes it.
QString TakeMessage(TForm1& f, const char* name = "ProfileMessage") {
    QString text;
    for (QMessageBox* box : f.findChildren<QMessageBox*>(name)) {
        text = box->text();
        box->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

// (rows, columns) of the first sheet, read back with openpyxl.
QPair<int, int> SheetSize(const QString& path) {
    QProcess p;
    p.start("/usr/bin/python3",
            {"-c",
             "import openpyxl,sys; ws=openpyxl.load_workbook(sys.argv[1]).worksheets[0]; "
             "print(ws.max_row, ws.max_column)",
             path});
    if (!p.waitForFinished(30000)) return {-1, -1};
    const QStringList parts = QString(p.readAllStandardOutput()).split(' ');
    return {parts.value(0).toInt(), parts.value(1).trimmed().toInt()};
}

}  // namespace

// Profiles and the export on a shown window whose adapter is a pseudo-terminal.
class ProfilesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        w_ = std::make_unique<ShownForm>();
        QVERIFY(w_->Start());
        dir_ = w_->fixture->settingsDir.path();
    }
    void cleanup() { w_.reset(); }

    void createAddsTheExtensionOnlyWhenMissing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::newRow("without extension") << "parts"
                                           << "parts.hex1";
        QTest::newRow("with extension") << "parts.hex1"
                                        << "parts.hex1";
    }
    void createAddsTheExtensionOnlyWhenMissing() {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        TForm1& f = *w_->form;
        f.CBox6->setEditText("Резистор");
        AnswerDialog(dir_ + "/" + typed);
        QTest::mouseClick(f.SB1, Qt::LeftButton);
        const QString path = dir_ + "/" + file;
        QCOMPARE(TakeMessage(f), QString("Файл успешно создан!"));
        QCOMPARE(ReadAll(path).size(), 172);
        QVERIFY(!QFile::exists(path + ".hex1"));
        QCOMPARE(Names(path), std::vector<std::string>{"Резистор"});
        QCOMPARE(f.state.ProfilePath, path);
        QCOMPARE(f.state.ProfileCount, 1);
        QCOMPARE(f.SE2->maximum(), 2);
        QCOMPARE(f.JvP8->text(), QString("Профиль parts"));
        QVERIFY(f.SB3->isEnabled());
    }

    void createCancelledSaysSo() {
        TForm1& f = *w_->form;
        AnswerDialog({});
        QTest::mouseClick(f.SB1, Qt::LeftButton);
        QCOMPARE(TakeMessage(f), QString("Неудача!"));
        QVERIFY(f.state.ProfilePath.isEmpty());
    }

    void openLoadsEntryOneAndListsTheNames() {
        TForm1& f = *w_->form;
        const QString path = Write("three.hex1", ProfileBytes({"R1", "C2", "L3"}));
        AnswerDialog(path);
        QTest::mouseClick(f.SB2, Qt::LeftButton);
        QCOMPARE(f.state.ProfileCount, 3);
        QCOMPARE(f.SE2->maximum(), 4);
        QCOMPARE(f.CBox6->count(), 3);
        QCOMPARE(f.CBox6->itemText(2), QString("L3"));
        QCOMPARE(f.CBox6->currentText(), QString("R1"));
        QCOMPARE(f.CBox2->currentIndex(), 2);
        QVERIFY(f.CBox4->isVisibleTo(&f) && !f.CBox1->isVisibleTo(&f));
        QCOMPARE(f.CBox4->currentIndex(), 1);
        QCOMPARE(f.E2->text(), QString("4,7"));
        QCOMPARE(f.CBox5->currentText(), QString("1%"));
        QCOMPARE(f.CBox51->currentText(), f.CBox51->itemText(0));
        QVERIFY(!f.CBox31->isVisibleTo(&f));
        QCOMPARE(f.SE1->value(), 5);
        QCOMPARE(f.screen.Settings().SourceIndex(), 0);
        QCOMPARE(f.screen.Settings().Reserved17(), 0);
        QCOMPARE(f.screen.State().FrequencyHz, 1000);
        QVERIFY(f.SB3->isEnabled() && f.SB4->isEnabled());
    }

    void openANewNameCreatesItWithoutRememberingIt() {
        TForm1& f = *w_->form;
        const QString caption = f.JvP8->text();
        const QString path = dir_ + "/new.hex1";
        AnswerDialog(path);
        QTest::mouseClick(f.SB2, Qt::LeftButton);
        QCOMPARE(ReadAll(path).size(), 172);
        QCOMPARE(f.state.ProfilePath, path);
        QCOMPARE(f.JvP8->text(), caption);
        QVERIFY(!f.settingsController->LoadSettings());
    }

    void openADamagedProfileRefusesItAndSaysWhy() {
        TForm1& f = *w_->form;
        QByteArray bytes = ProfileBytes({"R1"});
        bytes[3] = char(0x80);  // a negative count: no entry can be trusted
        const QString path = Write("bad.hex1", bytes);
        AnswerDialog(path);
        QTest::mouseClick(f.SB2, Qt::LeftButton);
        QCOMPARE(TakeMessage(f), QString("Неудача!"));
        QVERIFY(f.state.ProfilePath.isEmpty());
        QVERIFY(f.Memo1->toPlainText().contains("Профиль повреждён: " + path));
        QCOMPARE(ReadAll(path), bytes);
    }

    void saveAsCopiesAndOpensTheCopy() {
        TForm1& f = *w_->form;
        Open(Write("a.hex1", ProfileBytes({"R1", "C2"})));
        AnswerDialog(dir_ + "/copy");
        QTest::mouseClick(f.SB3, Qt::LeftButton);
        QCOMPARE(ReadAll(dir_ + "/copy.hex1"), ReadAll(dir_ + "/a.hex1"));
        QCOMPARE(f.state.ProfilePath, dir_ + "/copy.hex1");
        QCOMPARE(f.JvP8->text(), QString("Профиль copy"));
    }

    void choosingAnEntrySendsItsSettings() {
        TForm1& f = *w_->form;
        Open(Write("a.hex1", ProfileBytes({"R1", "C2", "L3"})));
        w_->Connect();
        w_->port.Drain();
        f.CBox6->setCurrentIndex(2);
        emit f.CBox6->activated(2);
        QCOMPARE(f.SE2->value(), 3);
        QCOMPARE(f.CBox6->currentText(), QString("L3"));
        const QByteArray sent = w_->port.Read(6);
        // Entry 3 has Rate 3; its SourceIndex 2 goes out as 0 (byte 5: index + 1).
        QCOMPARE(sent.toHex(), QByteArray("410380310a01"));
        const auto parsed = protocol::ParseCommandFrame(
            std::span(reinterpret_cast<const std::uint8_t*>(sent.constData()), 6));
        QVERIFY(parsed);
        const auto& cmd = std::get<protocol::TSettingsCommand>(*parsed);
        QCOMPARE(int(cmd.rate), 3);
        QCOMPARE(int(cmd.freqIndex), 3);
        QCOMPARE(int(*cmd.sourceIndex), 0);
    }

    // Return in the entry name box with no profile open loads nothing: the
    // readings go on.
    void anEntryThatCannotBeLoadedLeavesTheReadingsGoing() {
        TForm1& f = *w_->form;
        w_->Connect();
        FeedRlcd(f, {.rs = 1500});
        emit f.CBox6->activated(0);
        QCOMPARE(f.state.DecodePaused, 0);
        FeedRlcd(f, {.rs = 2200});
        QVERIFY2(f.L_prim_n->text().contains("2,2"), qPrintable(f.L_prim_n->text()));
    }

    void openingTheEntryListRereadsTheNames() {
        TForm1& f = *w_->form;
        const QString path = Write("a.hex1", ProfileBytes({"R1", "C2"}));
        Open(path);
        f.SE1->setValue(77);
        Write("a.hex1", ProfileBytes({"X1", "Y2", "Z3"}));  // changed behind the window's back
        f.CBox6->showPopup();
        QCOMPARE(f.CBox6->count(), 3);
        QCOMPARE(f.CBox6->itemText(2), QString("Z3"));
        // Read before the list was sized: the last name shows whole.
        const QAbstractItemView* list = f.CBox6->view();
        QVERIFY(list->visualRect(f.CBox6->model()->index(2, 0)).bottom() <
                list->viewport()->height());
        QCOMPARE(f.state.ProfileCount, 3);
        QCOMPARE(f.SE2->maximum(), 4);
        // Only the names: the editor keeps the entry it showed.
        QCOMPARE(f.CBox6->currentText(), QString("R1"));
        QCOMPARE(f.SE1->value(), 77);
        f.CBox6->hidePopup();
    }

    // Opening the list and closing it with Esc chooses nothing, so "Запись"
    // stores the editor over the entry it came from.
    void cancelledEntryListLeavesTheChosenEntry() {
        TForm1& f = *w_->form;
        const QString path = Write("a.hex1", ProfileBytes({"R1", "C2", "L3"}));
        Open(path);
        f.CBox6->setCurrentIndex(1);
        emit f.CBox6->activated(1);
        QCOMPARE(f.SE2->value(), 2);
        f.CBox6->showPopup();
        QTRY_VERIFY(f.CBox6->view()->isVisible());
        QTest::keyClick(f.CBox6->view(), Qt::Key_Escape);
        QTRY_VERIFY(!f.CBox6->view()->isVisible());
        QCOMPARE(f.SE2->value(), 2);
        QCOMPARE(f.CBox6->currentText(), QString("C2"));
        QVERIFY(f.BB1->isEnabled());
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(Names(path), (std::vector<std::string>{"R1", "C2", "L3"}));
        QCOMPARE(int(EntryOf(path, 2).settings[protocol::rec::Rate]), 2);  // C2's own
    }

    // Start-up resets the meter settings after the remembered profile loaded
    // its first entry; the entry shown keeps its own, so "Запись" right after
    // start changes nothing.
    void recordingRightAfterStartKeepsTheEntry() {
        const QString path = Write("a.hex1", ProfileBytes({"R1", "C2"}));
        w_->form->settingsController->SaveLastProfilePath(path);
        TForm1Ports ports;
        ports.settingsFolder = dir_;
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        TForm1 f(std::move(ports));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.state.ProfilePath, path);
        QCOMPARE(f.SE2->value(), 1);
        QCOMPARE(f.CBox6->currentText(), QString("R1"));
        const protocol::TMeterSettings own = protocol::SettingsFromProfile(Entry("R1", 1).settings);
        QCOMPARE(f.screen.Settings().bytes, own.bytes);
        QVERIFY(f.BB1->isEnabled());
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(EntryOf(path, 1).settings, own.bytes);
        QCOMPARE(Names(path), (std::vector<std::string>{"R1", "C2"}));
    }

    // A profile opened while the multi mode is chosen shows its own names in
    // the chooser and in the rows the run writes.
    void profileOpenedInMultiModeNamesTheRows() {
        TForm1& f = *w_->form;
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        Open(Write("a.hex1", ProfileBytes({"Alpha", "Beta", "Gamma"})));
        QCOMPARE(f.CBox6->count(), 3);
        QCOMPARE(f.CBox6->itemText(2), QString("Gamma"));
        QCOMPARE(f.SE2->value(), 1);
        QCOMPARE(f.CBox6->currentText(), QString("Alpha"));
        w_->Connect();
        f.SE2->setValue(2);
        f.SP1->setEnabled(true);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        FeedRlcd(f, {.rs = 1500});
        const QStringList names{"Alpha", "Beta", "Gamma"};
        for (int row = 1; row <= 3; ++row) QCOMPARE(f.SG->Cells().Cell(row, 1), names[row - 1]);
        QVERIFY(!f.SG->Cells().Cell(2, 2).isEmpty());

        // Another profile, opened in the same mode.
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        Open(Write("b.hex1", ProfileBytes({"One", "Two"})));
        QCOMPARE(f.CBox6->count(), 2);
        QCOMPARE(f.SG->Cells().Cell(2, 1), QString("Two"));
    }

    // The save dialog knows the extension, so a name typed without it still
    // asks before an existing profile is replaced.
    void replacingAProfileTypedWithoutTheExtensionAsks_data() {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("Создать") << false;
        QTest::newRow("Сохранить как") << true;
    }
    void replacingAProfileTypedWithoutTheExtensionAsks() {
        QFETCH(bool, saveAs);
        TForm1& f = *w_->form;
        if (saveAs) Open(Write("other.hex1", ProfileBytes({"x", "y"})));
        const QString existing = Write("parts.hex1", ProfileBytes({"keep"}));
        const QByteArray before = ReadAll(existing);
        bool asked = false;
        QTimer::singleShot(0, [&] {
            QPointer<QFileDialog> dialog =
                qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(dir_ + "/parts");
            QTimer::singleShot(0, [&, dialog] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    asked = true;
                    box->button(QMessageBox::No)->click();
                }
                QTimer::singleShot(0, [dialog] {
                    if (dialog) dialog->reject();
                });
            });
            static_cast<QDialog*>(dialog.data())->accept();
        });
        QTest::mouseClick(saveAs ? f.SB3 : f.SB1, Qt::LeftButton);
        QVERIFY(asked);
        QCOMPARE(ReadAll(existing), before);
        TakeMessage(f);
    }

    // 1.dat cannot hold this path: it is kept beside, and what the window
    // shows, edits and reopens is that profile.
    void profilePathOutsideTheCodePageIsKeptBeside() {
        TForm1& f = *w_->form;
        QVERIFY(QDir(dir_).mkpath("Prüf"));
        const QString path = Write("Prüf/pp.hex1", ProfileBytes({"A1", "B2"}));
        Open(path);
        QCOMPARE(f.JvP8->text(), QString("Профиль pp"));
        QCOMPARE(f.CBox6->count(), 2);
        QCOMPARE(f.CBox6->itemText(1), QString("B2"));
        QVERIFY(f.Memo1->toPlainText().contains("names.txt"));
        QVERIFY(f.SB3->isEnabled());
        // No path in 1.dat rather than a wrong one.
        QCOMPARE(ReadAll(dir_ + "/1.dat").left(4), QByteArray(4, '\0'));

        TForm1Ports ports;
        ports.settingsFolder = dir_;
        TForm1 again(std::move(ports));
        QCOMPARE(again.state.ProfilePath, path);
        QCOMPARE(again.CBox6->itemText(1), QString("B2"));

        // A path 1.dat holds takes its place again.
        const QString plain = Write("plain.hex1", ProfileBytes({"P1"}));
        Open(plain);
        TForm1Ports ports2;
        ports2.settingsFolder = dir_;
        TForm1 third(std::move(ports2));
        QCOMPARE(third.state.ProfilePath, plain);
    }

    // A profile whose last entry is cut short opens with its whole entries,
    // read-only; saved under a name it becomes a sound profile.
    void profileCutShortOpensReadOnly() {
        TForm1& f = *w_->form;
        QByteArray bytes = ProfileBytes({"R1", "C2", "L3"});
        bytes.chop(10);
        const QString path = Write("cut.hex1", bytes);
        Open(path);
        QCOMPARE(f.state.ProfileCount, 2);
        QCOMPARE(f.CBox6->count(), 2);
        QCOMPARE(f.CBox6->itemText(1), QString("C2"));
        QCOMPARE(f.SE1->value(), 5);  // entry 1 loaded
        QVERIFY(f.Memo1->toPlainText().contains("только для чтения, целых записей: 2 из 3"));

        f.SB4->setChecked(true);
        f.SE2->setValue(2);
        for (QPushButton* b : {f.BB1, f.Button_Add, f.Button_DEL}) {
            QVERIFY(b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(ReadAll(path), bytes);
        }
        f.SE2->setValue(3);  // the free slot
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(ReadAll(path), bytes);
        QVERIFY(f.Memo1->toPlainText().contains("изменение не записано: " + path));

        AnswerDialog(dir_ + "/fixed");
        QTest::mouseClick(f.SB3, Qt::LeftButton);
        const QString fixed = dir_ + "/fixed.hex1";
        QCOMPARE(f.state.ProfilePath, fixed);
        QCOMPARE(ReadAll(fixed).size(), 100 + 2 * 72);
        QCOMPARE(Names(fixed), (std::vector<std::string>{"R1", "C2"}));
        QCOMPARE(ReadAll(path), bytes);
        f.SE2->setValue(3);
        f.CBox6->setEditText("new");
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(Names(fixed), (std::vector<std::string>{"R1", "C2", "new"}));
    }

    void entryLoadSendsNothingWhileEditing() {
        TForm1& f = *w_->form;
        Open(Write("a.hex1", ProfileBytes({"R1", "C2"})));
        w_->Connect();
        f.SB4->setChecked(true);
        w_->port.Drain();
        emit f.CBox6->activated(1);
        QCOMPARE(f.screen.Settings().Rate(), 2);
        QVERIFY(w_->port.Read(1).isEmpty());
    }

    void editingToggleSwitchesButtonsAndSendsOnRelease() {
        TForm1& f = *w_->form;
        w_->Connect();
        f.SP1->setEnabled(true);
        w_->port.Drain();
        QTest::mouseClick(f.SB4, Qt::LeftButton);  // down
        QVERIFY(f.SB4->isChecked());
        for (QPushButton* b : {f.Button_Add, f.Button_DEL, f.BB1}) QVERIFY(b->isEnabled());
        QVERIFY(!f.SP3->isEnabled());
        QVERIFY(!f.SP1->isEnabled());
        QVERIFY(w_->port.Read(1).isEmpty());
        QTest::mouseClick(f.SB4, Qt::LeftButton);  // up
        for (QPushButton* b : {f.Button_Add, f.Button_DEL, f.BB1}) QVERIFY(!b->isEnabled());
        QVERIFY(f.SP3->isEnabled());
        QVERIFY(f.SP1->isEnabled());
        QCOMPARE(w_->port.Read(6).size(), 6);

        // Released while the hold button is down: SP1 stays disabled.
        QTest::mouseClick(f.SB4, Qt::LeftButton);
        f.SP3->setCheckable(true);
        f.SP3->setChecked(true);
        QTest::mouseClick(f.SB4, Qt::LeftButton);
        QVERIFY(!f.SP1->isEnabled());
    }

    void entryButtonsEditTheFile() {
        TForm1& f = *w_->form;
        const QString path = Write("a.hex1", ProfileBytes({"e1", "e2", "e3"}));
        Open(path);
        f.SB4->setChecked(true);
        f.CBox6->setEditText("new");

        f.SE2->setValue(2);
        QTest::mouseClick(f.Button_Add, Qt::LeftButton);
        QCOMPARE(Names(path), (std::vector<std::string>{"e1", "new", "e2", "e3"}));
        QCOMPARE(f.state.ProfileCount, 4);
        QCOMPARE(f.SE2->maximum(), 5);

        f.SE2->setValue(5);
        f.CBox6->setEditText("tail");
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(Names(path), (std::vector<std::string>{"e1", "new", "e2", "e3", "tail"}));
        QCOMPARE(f.state.ProfileCount, 5);

        f.SE2->setValue(1);
        f.CBox6->setEditText("first");
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        QCOMPARE(Names(path), (std::vector<std::string>{"first", "new", "e2", "e3", "tail"}));

        f.SE2->setValue(2);
        QTest::mouseClick(f.Button_DEL, Qt::LeftButton);
        QCOMPARE(Names(path), (std::vector<std::string>{"first", "e2", "e3", "tail"}));
        QCOMPARE(ReadAll(path).size(), 100 + 5 * 72);  // deleting keeps the length
        QCOMPARE(f.SE2->maximum(), 5);
    }

    // On a full disk a small profile used to become an empty file with no
    // word said; now each change that cannot be stored keeps the old file,
    // leaves the count alone and says why in the connection log.
    void fullDiskKeepsTheProfileAndSaysWhy_data() {
        QTest::addColumn<TDiskFault>("fault");
        for (const TDiskFault fault : {TDiskFault::FullTmpfs, TDiskFault::FileSizeLimit})
            QTest::newRow(DiskFaultName(fault).c_str()) << fault;
    }
    void fullDiskKeepsTheProfileAndSaysWhy() {
        QFETCH(TDiskFault, fault);
        FailingDisk disk(fault);
        if (!disk.Available()) QSKIP(disk.WhyNot().c_str());
        TForm1& f = *w_->form;
        const QString path = QString::fromStdString(disk.Folder()) + "/ten.hex1";
        const QByteArray old =
            ProfileBytes({"e1", "e2", "e3", "e4", "e5", "e6", "e7", "e8", "e9", "e10"});
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        Open(path);
        f.SB4->setChecked(true);
        f.CBox6->setEditText("new");
        f.Memo1->clear();

        disk.Break();
        f.SE2->setValue(2);
        QTest::mouseClick(f.Button_Add, Qt::LeftButton);
        QTest::mouseClick(f.Button_DEL, Qt::LeftButton);
        f.SE2->setValue(11);  // behind the last entry: the whole file too
        QTest::mouseClick(f.BB1, Qt::LeftButton);
        disk.Mend();

        QCOMPARE(ReadAll(path), old);
        QCOMPARE(f.state.ProfileCount, 10);
        const QStringList lines = f.Memo1->toPlainText().split('\n');
        QCOMPARE(lines.size(), 3);
        for (const QString& line : lines)
            QVERIFY2(line.startsWith("Профиль не записан: " + path + ": "), qPrintable(line));
    }

    void outOfRangeAndEmptyProfileChangeNothing() {
        TForm1& f = *w_->form;
        const QString path = Write("a.hex1", ProfileBytes({"e1"}));
        Open(path);
        f.SB4->setChecked(true);
        const QByteArray before = ReadAll(path);
        f.SE2->setValue(2);  // the free slot: nothing to delete there
        QTest::mouseClick(f.Button_DEL, Qt::LeftButton);
        QCOMPARE(ReadAll(path), before);
        QVERIFY(f.Memo1->toPlainText().contains("Нет записи с номером 2"));

        f.SE2->setValue(1);
        QTest::mouseClick(f.Button_DEL, Qt::LeftButton);
        QCOMPARE(f.state.ProfileCount, 0);
        QTest::mouseClick(f.Button_DEL, Qt::LeftButton);
        QCOMPARE(f.state.ProfileCount, 0);
        QVERIFY(f.Memo1->toPlainText().contains("Профиль пуст"));
        QCOMPARE(ReadAll(path).left(4), QByteArray(4, '\0'));
    }

    void multiRecordingFillsTheChosenEntrysRow() {
        TForm1& f = *w_->form;
        Open(Write("a.hex1", ProfileBytes({"R1", "C2", "L3"})));
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        QCOMPARE(f.SG->Cells().Cell(0, 1), QString("Наименование"));
        QCOMPARE(f.SG->Cells().Cell(2, 1), QString("C2"));
        QCOMPARE(f.SG->Cells().Cell(2, 2), QString("C 1% 4,7нФ"));
        QCOMPARE(f.SG->Cells().Cell(2, 7), QString("1сек"));
        w_->Connect();
        f.SE2->setValue(2);
        f.SP1->setEnabled(true);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        FeedRlcd(f, {.rs = 1500});
        QCOMPARE(f.SG->Cells().RowCount(), 4);
        QCOMPARE(f.SG->Cells().Cell(0, 2), QString("Основной"));
        QCOMPARE(f.SG->Cells().Cell(2, 1), QString("C2"));
        QVERIFY(!f.SG->Cells().Cell(2, 2).isEmpty());
        QVERIFY(f.SG->Cells().Cell(1, 2).isEmpty());
        QVERIFY(f.SG->Cells().Cell(3, 2).isEmpty());
    }

    void startUpRefusesADamagedRememberedProfile() {
        TForm1& f = *w_->form;
        QByteArray bytes = ProfileBytes({"R1"});
        bytes[3] = char(0x80);  // negative count
        const QString path = Write("bad.hex1", bytes);
        f.settingsController->SaveLastProfilePath(path);
        QVERIFY(!f.settingsController->LoadSettings());
        QVERIFY(f.Memo1->toPlainText().contains("Профиль повреждён: " + path));
    }

    void exportWritesTheLoggedRowsAndOpensTheWorkbook() {
        TForm1& f = *w_->form;
        QStringList opened;
        w_->fixture.reset();
        // A window whose workbooks open into a list.
        TForm1Ports ports;
        ports.settingsFolder = dir_;
        ports.openDocument = [&opened](const QString& p) {
            opened << p;
            return true;
        };
        auto form = std::make_unique<TForm1>(std::move(ports));
        form->state.MeterConnected = true;
        form->SB4->setChecked(false);
        for (int i = 0; i < 3; ++i) FeedRlcd(*form, {.hold = true});
        QCOMPARE(form->log->LogPosition(), 4);
        form->SP1->setChecked(true);
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QVERIFY(!form->SP1->isChecked());
        QVERIFY(form->Button4->isEnabled());
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].startsWith(dir_ + "/exports/"));
        QVERIFY(form->Memo1->toPlainText().contains(opened[0]));
        QCOMPARE(SheetSize(opened[0]), qMakePair(4, 10));
        Q_UNUSED(f);
    }

    void exportInMultiModeTakesEveryEntry() {
        TForm1& f = *w_->form;
        Open(Write("five.hex1", ProfileBytes({"a", "b", "c", "d", "e"})));
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        const QString path = f.exportControl->ExportToExcel();
        QVERIFY(!path.isEmpty());
        QCOMPARE(f.log->LogPosition(), 6);
        // The profile view leaves its last column empty, header included.
        QCOMPARE(SheetSize(path), qMakePair(6, 9));
    }

    void failedExportKeepsTheLogPosition() {
        TForm1& f = *w_->form;
        w_->Connect();
        for (int i = 0; i < 2; ++i) FeedRlcd(f, {.hold = true});
        QFile blocker(dir_ + "/exports");  // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(f.exportControl->ExportToExcel().isEmpty());
        QCOMPARE(f.log->LogPosition(), 3);
        QVERIFY(f.Button4->isEnabled());
        QVERIFY(TakeMessage(f, "ExportError").startsWith("Таблица не записана: "));
    }

  private:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_ + "/" + name;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return path;
    }
    void Open(const QString& path) {
        AnswerDialog(path);
        QTest::mouseClick(w_->form->SB2, Qt::LeftButton);
        QCOMPARE(w_->form->state.ProfilePath, path);
    }

    std::unique_ptr<ShownForm> w_;
    QString dir_;
};

QTEST_MAIN(ProfilesTest)
#include "test_profiles.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/instance_lock.h"
#include "app/main.h"
#include "app/settings_controller.h"
#include "control/language_control.h"
#include "settings/codepage.h"
#include "support/failing_disk.h"

namespace {

using testing_support::DiskFaultName;
using testing_support::FailingDisk;
using testing_support::TDiskFault;

QByteArray Int32(qint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char((quint32(v) >> (8 * i)) & 0xFF);
    return b;
}

// A complete 206-byte 1.dat.
QByteArray SettingsBytes(const QByteArray& path1251, qint32 storedLength, qint32 language,
                         char autoConnect, char model) {
    QByteArray file(206, '\0');
    file.replace(0, 4, Int32(storedLength));
    file.replace(4, path1251.size(), path1251);
    file.replace(200, 4, Int32(language));
    file[204] = autoConnect;
    file[205] = model;
    return file;
}

}  // namespace

// What the window restores from 1.dat when it is created.
class StartupTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TForm1> Start(const std::optional<QByteArray>& dat) {
        if (dat) {
            QFile f(dir_->path() + "/1.dat");
            if (!f.open(QIODevice::WriteOnly)) return nullptr;
            f.write(*dat);
        }
        TForm1Ports ports;
        ports.settingsFolder = dir_->path();
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        return std::make_unique<TForm1>(std::move(ports));
    }
    QByteArray StoredFile() {
        QFile f(dir_->path() + "/1.dat");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString WriteProfile(const QString& name, qint32 count) {
        const QString path = dir_->path() + "/" + name;
        QFile f(path);
        // Header and `count` empty entries.
        if (f.open(QIODevice::WriteOnly)) f.write(Int32(count) + QByteArray(96 + count * 72, '\0'));
        return path;
    }

  private slots:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }
    void cleanup() { dir_.reset(); }

    void missingFileIsCreatedEmptyAndTheWindowKeepsItsDefaults() {
        auto form = Start(std::nullopt);
        QVERIFY(QFile::exists(dir_->path() + "/1.dat"));
        QCOMPARE(StoredFile().size(), 0);
        QVERIFY(!form->CheckBox_connect_auto->isChecked());
        QVERIFY(form->RB1->isChecked());
        QCOMPARE(form->LangCombo1->currentIndex(), 0);
        QVERIFY(!form->SB3->isEnabled());
    }

    void storedChoicesAreRestored_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<int>("expectedModel");
        QTest::addColumn<int>("checkedButton");  // -1: RB1 stays as created
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("expectedLanguage");
        QTest::newRow("КС17, English") << 2 << 2 << 2 << 1 << 1;
        QTest::newRow("КС19, negative language") << 3 << 3 << 3 << -1 << 0;
        QTest::newRow("model byte 5 sets the model only") << 5 << 5 << -1 << 2 << 0;
        QTest::newRow("model byte 10 is ignored") << 10 << 0 << -1 << 0 << 0;
    }
    void storedChoicesAreRestored() {
        QFETCH(int, modelByte);
        QFETCH(int, expectedModel);
        QFETCH(int, checkedButton);
        QFETCH(int, language);
        QFETCH(int, expectedLanguage);
        auto form = Start(SettingsBytes({}, 0, language, 0, char(modelByte)));
        QCOMPARE(int(form->screen.State().Model), expectedModel);
        QRadioButton* buttons[] = {form->RB1, form->RB2, form->RB3, form->RB4};
        if (checkedButton >= 0)
            QVERIFY(buttons[checkedButton]->isChecked());
        else
            QVERIFY(form->RB1->isChecked());
        QCOMPARE(form->LangCombo1->currentIndex(), expectedLanguage);
        QCOMPARE(form->language->Engine().CurrentIndex(), expectedLanguage);
        QCOMPARE(form->SB1->text() == "Создать", expectedLanguage == 0);
    }

    void anyNonZeroAutoConnectByteChecksTheBoxAndIsStoredAsOne() {
        auto form = Start(SettingsBytes({}, 0, 0, 7, 0));
        QVERIFY(form->CheckBox_connect_auto->isChecked());
        QVERIFY(!form->B2->isEnabled());
        QCOMPARE(int(StoredFile().at(204)), 1);
    }

    void lastProfileIsReopened() {
        const QString path = WriteProfile("a.hex1", 3);
        const QByteArray path1251 =
            QByteArray::fromStdString(settings::Utf8ToCp1251(path.toStdString()));
        auto form = Start(SettingsBytes(path1251, path1251.size(), 0, 0, 0));
        QCOMPARE(form->state.ProfilePath, path);
        QCOMPARE(form->state.ProfileName, QString(" a"));
        QCOMPARE(form->JvP8->text(), QString("Профиль a"));
        QCOMPARE(form->state.ProfileCount, 3);
        QCOMPARE(form->SE2->maximum(), 4);
        QVERIFY(form->SB3->isEnabled());
    }

    void cyrillicProfilePathRoundTrips() {
        auto form = Start(std::nullopt);
        const QString path = WriteProfile("Резисторы.hex1", 1);
        form->settingsController->SaveLastProfilePath(path);
        QVERIFY(form->settingsController->LoadSettings());
        QCOMPARE(form->state.ProfileName, QString(" Резисторы"));
    }

    void brokenStoredPaths_data() {
        QTest::addColumn<qint32>("storedLength");
        QTest::addColumn<QString>("target");  // "file", "gone" or "folder"
        QTest::newRow("length beyond the field") << 500 << "file";
        QTest::newRow("negative length") << -4 << "file";
        QTest::newRow("profile file gone") << 0 << "gone";
        QTest::newRow("path names a folder") << 0 << "folder";
    }
    void brokenStoredPaths() {
        QFETCH(qint32, storedLength);
        QFETCH(QString, target);
        QString path = dir_->path() + "/gone.hex1";
        if (target == "file") path = WriteProfile("b.hex1", 2);
        if (target == "folder") {
            path = dir_->path() + "/folder.hex1";
            QVERIFY(QDir().mkpath(path));
        }
        const QByteArray bytes = path.toLatin1();
        auto form =
            Start(SettingsBytes(bytes, storedLength ? storedLength : bytes.size(), 1, 1, 2));
        QVERIFY(form->state.ProfilePath.isEmpty());
        // No profile name after the caption, which follows the stored language.
        QCOMPARE(form->JvP8->text(), QString::fromStdString(form->lexicons.D1.GetItem(0)));
        QVERIFY(!form->SB3->isEnabled());
        // The other fields are still read.
        QCOMPARE(form->LangCombo1->currentIndex(), 1);
        QCOMPARE(form->JvP8->text(), QString("Profile"));
        QVERIFY(form->CheckBox_connect_auto->isChecked());
        QVERIFY(form->RB3->isChecked());
    }

    void writersPatchOnlyTheirField() {
        auto form = Start(SettingsBytes("C:/x.hex1", 9, 1, 0, 3));
        const QByteArray before = StoredFile();
        form->RB2->click();
        const QByteArray after = StoredFile();
        QCOMPARE(after.size(), 206);
        QCOMPARE(int(after.at(205)), 1);
        QCOMPARE(after.left(205), before.left(205));
    }

    // A choice replaces the whole file at once instead of patching it in place,
    // so a crash mid-write leaves the old file or the new one. A second name for
    // the old file shows it: it keeps the old bytes.
    void choicesReplaceTheWholeFile() {
        const QByteArray old = SettingsBytes("C:/x.hex1", 9, 1, 0, 3);
        auto form = Start(old);
        const QString keep = dir_->path() + "/keep";
        QCOMPARE(::link(QFile::encodeName(dir_->path() + "/1.dat").constData(),
                        QFile::encodeName(keep).constData()),
                 0);
        form->RB2->click();
        QByteArray expected = old;
        expected[205] = 1;
        QCOMPARE(StoredFile(), expected);
        QFile kept(keep);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), old);
    }

    // The empty file of the first start becomes the whole record at the first
    // choice; fields not chosen yet read as zero, as before.
    void firstChoiceWritesTheWholeRecord() {
        auto form = Start(std::nullopt);
        QCOMPARE(StoredFile().size(), 0);
        form->CheckBox_connect_auto->click();
        QByteArray expected(206, '\0');
        expected[204] = 1;
        QCOMPARE(StoredFile(), expected);
    }

    void unreadableFileRestoresNothing() {
        // A folder in the file's place exists but cannot be read as a file.
        QVERIFY(QDir().mkpath(dir_->path() + "/1.dat"));
        auto form = Start(std::nullopt);
        form->RB3->click();
        form->CheckBox_connect_auto->click();
        QVERIFY(!form->settingsController->LoadSettings());
        QCOMPARE(int(form->screen.State().Model), 2);
        QVERIFY(form->RB3->isChecked());
        QVERIFY(form->CheckBox_connect_auto->isChecked());
        QVERIFY(!form->B2->isEnabled());
    }

    void shortFileGivesTheStartState() {
        auto form = Start(QByteArray("\x05\x00", 2));
        QVERIFY(form->state.ProfilePath.isEmpty());
        QVERIFY(form->RB1->isChecked());
        QVERIFY(!form->CheckBox_connect_auto->isChecked());
        QCOMPARE(form->LangCombo1->currentIndex(), 0);
    }

    // A folder that cannot hold 1.dat (here a plain file is in its way): the
    // connection log says so once, however many choices then fail to be stored.
    void settingsThatCannotBeSavedAreReportedOnce() {
        QFile blocker(dir_->path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TForm1Ports ports;
        ports.settingsFolder = dir_->path() + "/blocker/ZAZ_Aduz";
        TForm1 form(std::move(ports));
        form.RB2->click();
        form.CheckBox_connect_auto->click();
        const QString line =
            "Настройки не сохраняются: " + dir_->path() + "/blocker/ZAZ_Aduz/1.dat";
        QCOMPARE(form.Memo1->toPlainText().count(line), 1);
    }

    // On a full disk the start used to turn 1.dat into an empty file: now
    // every choice that cannot be stored keeps it as it was, and the
    // connection log says so once, with the reason.
    void fullDiskKeepsTheSettingsAndSaysSoOnce_data() {
        QTest::addColumn<TDiskFault>("fault");
        for (const TDiskFault fault : {TDiskFault::FullTmpfs, TDiskFault::FileSizeLimit})
            QTest::newRow(DiskFaultName(fault).c_str()) << fault;
    }
    void fullDiskKeepsTheSettingsAndSaysSoOnce() {
        QFETCH(TDiskFault, fault);
        FailingDisk disk(fault);
        if (!disk.Available()) QSKIP(disk.WhyNot().c_str());
        const QString folder = QString::fromStdString(disk.Folder());
        // KS16 remembered: restoring it stores the model again.
        const QByteArray old = SettingsBytes({}, 0, 0, 0, 1);
        {
            QFile f(folder + "/1.dat");
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        }
        TForm1Ports ports;
        ports.settingsFolder = folder;
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        disk.Break();
        auto form = std::make_unique<TForm1>(std::move(ports));
        form->RB3->click();
        form->CheckBox_connect_auto->click();
        disk.Mend();

        QVERIFY(form->RB3->isChecked());
        QFile f(folder + "/1.dat");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        const QString log = form->Memo1->toPlainText();
        QCOMPARE(log.count("Настройки не сохраняются: "), 1);
        QVERIFY2(log.contains("Настройки не сохраняются: " + folder + "/1.dat: "), qPrintable(log));
    }

    // The lock lives beside 1.dat: a copy running from anywhere on the same
    // settings folder keeps a second one out, another folder is free, and the
    // lock of a copy that was killed is taken over.
    void oneWindowPerSettingsFolder() {
        const QString folder = dir_->path() + "/ZAZ_Aduz";
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t other = ::fork();
        QVERIFY(other >= 0);
        if (other == 0) {  // another install's window: holds the lock until killed
            TInstanceLock held = TakeInstanceLock(folder);
            const char ok = held.lock ? '1' : '0';
            if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        char ok = 0;
        QVERIFY(::read(ready[0], &ok, 1) == 1);
        ::close(ready[0]);
        ::close(ready[1]);
        QCOMPARE(ok, '1');
        QVERIFY(QFile::exists(InstanceLockPath(folder)));

        const TInstanceLock second = TakeInstanceLock(folder);
        QVERIFY(second.heldByAnother && !second.lock);
        const TInstanceLock elsewhere = TakeInstanceLock(dir_->path() + "/other");
        QVERIFY(elsewhere.lock && !elsewhere.heldByAnother);

        ::kill(other, SIGKILL);
        ::waitpid(other, nullptr, 0);
        const TInstanceLock after = TakeInstanceLock(folder);
        QVERIFY2(after.lock, qPrintable(after.error));
        QVERIFY(!after.heldByAnother);
    }

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/log_grid.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/settings_controller.h"
#include "control/language_control.h"
#include "control/qt_translations.h"
#include "control/profile_control.h"
#include "control/reference_editor.h"
#include "i18n/lang_engine.h"
#include "profiles/profile_file.h"
#include "support/form_fixture.h"

namespace {

QString ShippedLangFolder() {
    return qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
}

// The shipped English texts, read apart from the window.
i18n::TTranslationTables ShippedEnglish() {
    i18n::TLangManEngine engine;
    engine.ListLanguages(ShippedLangFolder().toStdString());
    i18n::TTranslationTables tables;
    if (const auto index = engine.FindCode("en")) engine.Load(*index, tables);
    return tables;
}

void Pick(TForm1& f, int index) {
    f.LangCombo1->setCurrentIndex(index);
    emit f.LangCombo1->activated(index);
}

// What a property shows now.
QString Shown(TForm1& f, const i18n::TPropertyKey& key) {
    QObject* o = key.component == "Form1"
                     ? static_cast<QObject*>(&f)
                     : f.findChild<QObject*>(QString::fromStdString(key.component));
    if (!o) return "<no control>";
    const int item = key.item.value_or(0);
    if (key.property == i18n::kWindowTitle) return f.windowTitle();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->itemText(item);
    if (auto* list = qobject_cast<QListWidget*>(o)) return list->item(item)->text();
    return "<unknown kind>";
}

bool Visible(TForm1& f, const i18n::TPropertyKey& key) {
    auto* w = f.findChild<QWidget*>(QString::fromStdString(key.component));
    return key.component == "Form1" || (w && w->isVisible());
}

const QRegularExpression kCyrillic("[\\x{0400}-\\x{04FF}]");

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), qint64(bytes.size()));
}

// A language file naming itself `name`, translating D1 item 6 (JvP1's caption).
void WriteLanguage(const QString& path, const std::string& name, const std::string& jvp1) {
    i18n::TLanguageFile f;
    f.name = name;
    f.lexicons = {{"Form1.D1", false, {{6, jvp1}}}};
    WriteBytes(path, i18n::WriteLanguageFile(f));
}

// A window on its own settings and language folders.
std::unique_ptr<TForm1> Start(const QString& settings, const QString& languages) {
    TForm1Ports ports;
    ports.settingsFolder = settings;
    ports.languageFolder = languages;
    return std::make_unique<TForm1>(std::move(ports));
}

}  // namespace

// Switching the window between Russian and the shipped English.
class LanguageTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
    }
    void cleanup() { fixture_.reset(); }

    void chooserListsRussianThenTheShippedFile() {
        QCOMPARE(f_->LangCombo1->count(), 2);
        QCOMPARE(f_->LangCombo1->itemText(0), QString("Русский"));
        QCOMPARE(f_->LangCombo1->itemText(1), QString("English"));
        QCOMPARE(f_->LangCombo1->currentIndex(), 0);
    }

    void roundTripKeepsEveryStoredComboSelection() {
        TForm1& f = *f_;
        struct Choice {
            QComboBox* combo;
            int index;
        };
        const Choice choices[] = {{f.CB1, 2},    {f.CBox51, 3}, {f.CBox5, 4},  {f.CBox31, 2},
                                  {f.CBox11, 1}, {f.CBox2, 1},  {f.CBox10, 1}, {f.CBox1, 1},
                                  {f.CBox3, 2},  {f.CBox4, 1}};
        for (const Choice& c : choices) c.combo->setCurrentIndex(c.index);
        QVERIFY(!f.CBox1->isVisibleTo(&f) && !f.CBox4->isVisibleTo(&f));
        const i18n::TTranslationTables en = ShippedEnglish();

        Pick(f, 1);
        QCOMPARE(f.language->Engine().Current().name, std::string("English"));
        for (const Choice& c : choices) QCOMPARE(c.combo->currentIndex(), c.index);
        QCOMPARE(f.CBox3->itemText(2).toStdString(),
                 *en.Property({i18n::kItems, "CBox3", "Form1", 2}));
        QCOMPARE(f.CBox10->currentText().toStdString(),
                 *en.Property({i18n::kItems, "CBox10", "Form1", 1}));

        Pick(f, 0);
        QCOMPARE(f.language->Engine().CurrentIndex(), 0);
        for (const Choice& c : choices) QCOMPARE(c.combo->currentIndex(), c.index);
        QCOMPARE(f.CBox3->itemText(2), QString("Гн"));
        QCOMPARE(f.CBox10->currentText(), QString("Мульти"));
    }

    void typedToleranceSurvivesAndTheOffEntryFollows() {
        TForm1& f = *f_;
        f.CBox5->setEditText("1,5%");
        QCOMPARE(f.CBox51->currentText(), QString("выкл."));
        Pick(f, 1);
        QCOMPARE(f.CBox5->currentText(), QString("1,5%"));
        QCOMPARE(f.CBox51->currentText().toStdString(),
                 *ShippedEnglish().Property({i18n::kItems, "CBox51", "Form1", 0}));
    }

    // The pickers are built the first time they are needed, which may be
    // before or after a language switch: their texts follow either way.
    void pickerTextsFollowTheLanguage_data() {
        QTest::addColumn<bool>("builtBeforeTheSwitch");
        QTest::newRow("built before") << true;
        QTest::newRow("built after") << false;
    }
    void pickerTextsFollowTheLanguage() {
        QFETCH(bool, builtBeforeTheSwitch);
        TForm1& f = *f_;
        if (builtBeforeTheSwitch) f.BuildHiddenParts();
        QCOMPARE(f.PickersBuilt(), builtBeforeTheSwitch);
        Pick(f, 1);
        const i18n::TTranslationTables en = ShippedEnglish();
        QCOMPARE(f.SText_freq_RLC->text().toStdString(),
                 *en.Property({i18n::kCaption, "SText_freq_RLC", "Form1", std::nullopt}));
        QCOMPARE(f.ListBox_prim_RLC->item(1)->text().toStdString(),
                 *en.Property({i18n::kItems, "ListBox_prim_RLC", "Form1", 1}));
        Pick(f, 0);
        QCOMPARE(f.SText_freq_RLC->text(), QString(" Частота тестового сигнала"));
        QCOMPARE(f.ListBox_prim_RLC->item(1)->text(), QString("R сопротивление"));
    }

    void pickingTheCurrentEntryDoesNothing() {
        TForm1& f = *f_;
        f.T3->stop();
        f.SG->Cells().SetCell(0, 0, QString("kept"));
        Pick(f, 0);
        QVERIFY(!f.T3->isActive());  // no query: the link was not dropped
        QCOMPARE(QFile(fixture_->settingsDir.path() + "/1.dat").size(), 0);  // nothing stored
        QCOMPARE(f.SG->Cells().Cell(0, 0), QString("kept"));  // no reload: the log is untouched

        Pick(f, 1);
        f.T3->stop();
        f.SG->Cells().SetCell(0, 0, QString("kept"));
        Pick(f, 1);
        QVERIFY(!f.T3->isActive());
        QCOMPARE(f.SG->Cells().Cell(0, 0), QString("kept"));  // no reload: the log is untouched
    }

    void everyVisibleTextIsTheShippedEnglishAfterTheSwitch() {
        TForm1& f = *f_;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        Pick(f, 1);
        const i18n::TTranslationTables en = ShippedEnglish();
        int checked = 0;
        for (const i18n::TDesignProperty& p : f.language->Client().DesignProperties()) {
            if (!Visible(f, p.key)) continue;
            const auto english = en.Property(p.key);
            QVERIFY2(english,
                     qPrintable("no English for " + QString::fromStdString(i18n::Describe(p.key))));
            QVERIFY2(
                Shown(f, p.key).toStdString() == *english,
                qPrintable(QString::fromStdString(i18n::Describe(p.key)) + ": " + Shown(f, p.key)));
            ++checked;
        }
        QVERIFY(checked > 0);
        // Read-outs composed at run time follow at their next update.
        QVERIFY(!f.windowTitle().contains(kCyrillic));
    }

    void englishTextsFitTheirControls() {
        TForm1& f = *f_;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        Pick(f, 1);
        for (const i18n::TDesignProperty& p : f.language->Client().DesignProperties()) {
            auto* w = f.findChild<QWidget*>(QString::fromStdString(p.key.component));
            if (!w || !w->isVisible() || p.key.property != i18n::kCaption) continue;
            const QString text = Shown(f, p.key);
            int room = w->contentsRect().width();
            if (qobject_cast<QPushButton*>(w)) room -= 8;  // the button's frame and padding
            if (qobject_cast<QCheckBox*>(w)) room -= 20;   // the check mark
            const int needed = w->fontMetrics().horizontalAdvance(text);
            QVERIFY2(needed <= room, qPrintable(QString("%1 \"%2\" needs %3 px, has %4")
                                                    .arg(w->objectName(), text)
                                                    .arg(needed)
                                                    .arg(room)));
        }
    }

    void switchEmptiesTheLogAndRetitles() {
        TForm1& f = *f_;
        f.state.ProfileName = " a";
        f.SG->Cells().SetCell(3, 2, QString("12,5 кОм"));
        f.SE1->setValue(40);
        Pick(f, 1);
        QVERIFY(f.SG->Cells().Cell(3, 2).isEmpty());
        QCOMPARE(f.SE1->value(), 1);
        QCOMPARE(f.SG->Cells().Cell(0, 0), QString("Position"));
        QCOMPARE(f.SG->Cells().Cell(0, 9), QString("Sec.% dev."));
        QCOMPARE(f.JvP8->text(), QString("Profile a"));
        QCOMPARE(f.JvP1->text(), QString("Reference data"));
        QCOMPARE(f.JvP11->text(), QString("Data recording"));
        Pick(f, 0);
        QCOMPARE(f.SG->Cells().Cell(0, 0), QString("Позиция"));
        QCOMPARE(f.JvP8->text(), QString("Профиль a"));
    }

    // Qt's own dialogs and buttons speak the window's language.
    void qtsOwnTextsFollowTheChooser() {
        TForm1& f = *f_;
        const auto cancel = [&f] {
            QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Cancel, &f);
            return box.button(QMessageBox::Cancel)->text();
        };
        const auto replace = [] {
            return QCoreApplication::translate("QFileDialog",
                                               "%1 already exists.\nDo you want to replace it?");
        };
        QCOMPARE(cancel(), QString("Отмена"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QString("Открыть"));
        QVERIFY(replace().contains("уже существует"));
        Pick(f, 1);
        QCOMPARE(cancel(), QString("Cancel"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QString("Open"));
        QVERIFY(replace().contains("already exists"));
        Pick(f, 0);
        QCOMPARE(cancel(), QString("Отмена"));
    }

    void qtCatalogueOfALanguageCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("language");
        QTest::newRow("design language") << "ru - Russian"
                                         << "ru";
        QTest::newRow("two letters") << "en"
                                     << "en";
        QTest::newRow("upper case") << "DE"
                                    << "de";
        QTest::newRow("region") << "de_AT"
                                << "de_AT";
        QTest::newRow("region with hyphen") << "pt-br"
                                            << "pt_BR";
        QTest::newRow("three letters") << "ukr"
                                       << "ukr";
        QTest::newRow("no region in a longer word") << "de_ATX"
                                                    << "de";
        QTest::newRow("digits") << "12"
                                << "";
        QTest::newRow("one letter") << "x"
                                    << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void qtCatalogueOfALanguageCode() {
        QFETCH(QString, code);
        QFETCH(QString, language);
        QCOMPARE(QtTranslations::LanguageOfCode(code.toStdString()), language);
    }

    void captionChangedByItsOwnCodeIsLeftToIt() {
        TForm1& f = *f_;
        f.B2->setText(QString::fromStdString(f.lexicons.Dlang_connect.GetItem(1)));  // "Отключить"
        Pick(f, 1);
        QCOMPARE(f.B2->text(), QString("Отключить"));  // until its next update
        QCOMPARE(f.SB1->text().toStdString(),
                 *ShippedEnglish().Property({i18n::kCaption, "SB1", "Form1", {}}));
    }

    void extraFilesInTheFolderAddOnlyTheValidLanguage() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(ShippedLangFolder() + "/eng.lng", dir.filePath("eng.lng")));
        i18n::TLanguageFile de;
        de.name = "Deutsch";
        de.code = "de";
        de.lexicons = {{"Form1.D1", false, {{0, "Profil"}}}};
        de.properties = {{{i18n::kCaption, "LateLabel", "Form1", {}}, "Spät", false, false}};
        const std::string bytes = i18n::WriteLanguageFile(de);
        QFile good(dir.filePath("z_deutsch.LNG"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(bytes.data(), qint64(bytes.size()));
        good.close();
        QFile bad(dir.filePath("no_signature.lng"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("0\t%LANGUAGE_NAME=\"Broken\"\r\n");
        bad.close();

        QTemporaryDir settings;
        TForm1Ports ports;
        ports.settingsFolder = settings.path();
        ports.languageFolder = dir.path();
        TForm1 f(std::move(ports));
        QCOMPARE(f.LangCombo1->count(), 3);
        QCOMPARE(f.LangCombo1->itemText(2), QString("Deutsch"));
        Pick(f, 2);
        QCOMPARE(f.JvP8->text(), QString("Profil"));
        // What Deutsch does not translate keeps the design text.
        QCOMPARE(f.SB1->text(), QString("Создать"));

        // A control built later, by its name alone.
        auto* late = new QLabel("Поздно", f.Panel2);
        late->setObjectName("LateLabel");
        f.language->TranslateNewControls();
        QCOMPARE(late->text(), QString("Spät"));
        Pick(f, 0);
        QCOMPARE(late->text(), QString("Поздно"));
    }

    void aThirdLanguageStaysChosenWhenTheSettingsAreReadAgain() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(ShippedLangFolder() + "/eng.lng", dir.filePath("eng.lng")));
        i18n::TLanguageFile pl;
        pl.name = "Polski";
        pl.code = "pl";
        pl.lexicons = {{"Form1.D1", false, {{6, "Dane wzorca"}}}};
        const std::string bytes = i18n::WriteLanguageFile(pl);
        QFile file(dir.filePath("polski.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        QTemporaryDir settings;
        auto start = [&] {
            TForm1Ports ports;
            ports.settingsFolder = settings.path();
            ports.languageFolder = dir.path();
            return std::make_unique<TForm1>(std::move(ports));
        };
        auto f = start();
        QCOMPARE(f->LangCombo1->itemText(2), QString("Polski"));
        Pick(*f, 2);
        QCOMPARE(f->JvP1->text(), QString("Dane wzorca"));
        f->settingsController->LoadSettings();  // as after a profile change
        QCOMPARE(f->language->Engine().Current().name, std::string("Polski"));
        f = start();
        QCOMPARE(f->LangCombo1->currentIndex(), 2);
        QCOMPARE(f->JvP1->text(), QString("Dane wzorca"));
    }

    void unreadableLanguageLeavesTheCurrentOneAndSaysSo() {
        QTemporaryDir dir;
        i18n::TLanguageFile cut;
        cut.name = "Cut";
        cut.lexicons = {{"Form1.D1", false, {{0, "first"}}}};
        std::string bytes = i18n::WriteLanguageFile(cut);
        bytes.resize(bytes.size() / 2);
        QFile file(dir.filePath("cut.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        QTemporaryDir settings;
        TForm1Ports ports;
        ports.settingsFolder = settings.path();
        ports.languageFolder = dir.path();
        TForm1 f(std::move(ports));
        QCOMPARE(f.LangCombo1->count(), 2);
        Pick(f, 1);
        QCOMPARE(f.language->Engine().CurrentIndex(), 0);
        QCOMPARE(f.LangCombo1->currentIndex(), 0);
        QVERIFY(f.Memo1->toPlainText().contains("cut.lng"));
        QCOMPARE(QString::fromStdString(f.lexicons.D1.GetItem(0)), QString("Профиль"));
    }

    // A listed language whose file fails is not remembered and does not drop
    // the link; the settings reload of every profile change does not retry it.
    void languageThatFailsIsNotRemembered() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(ShippedLangFolder() + "/eng.lng", dir.filePath("eng.lng")));
        i18n::TLanguageFile cut;
        cut.name = "Cut";
        cut.lexicons = {{"Form1.D1", false, {{0, "first"}}}};
        const std::string whole = i18n::WriteLanguageFile(cut, true);
        WriteBytes(dir.filePath("z_cut.lng"), whole.substr(0, whole.find("0\t\"first") + 4));
        QTemporaryDir settings;
        auto f = Start(settings.path(), dir.path());
        QCOMPARE(f->LangCombo1->itemText(2), QString("Cut"));
        f->T3->stop();
        Pick(*f, 2);
        QCOMPARE(f->language->Engine().CurrentIndex(), 0);
        QVERIFY(!f->T3->isActive());                            // no "AT": the link stays
        QCOMPARE(QFile(settings.filePath("1.dat")).size(), 0);  // nothing stored
        QVERIFY(!QFile::exists(settings.filePath("names.txt")));
        f->settingsController->LoadSettings();
        QCOMPARE(f->Memo1->toPlainText().count("z_cut.lng"), 1);
        QVERIFY(!f->T3->isActive());

        // A good choice after it is stored as usual.
        Pick(*f, 1);
        QCOMPARE(f->language->Engine().Current().name, std::string("English"));
        QCOMPARE(QFile(settings.filePath("1.dat")).size(), 206);
        f = Start(settings.path(), dir.path());
        QCOMPARE(f->language->Engine().Current().name, std::string("English"));
    }

    // 1 in the settings file is English whatever other files are added; any
    // other language is remembered by its name.
    void startsInEnglishWithDeutschBesideEngAndKeepsOtherChoicesByName() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(ShippedLangFolder() + "/eng.lng", dir.filePath("eng.lng")));
        QTemporaryDir settings;
        auto f = Start(settings.path(), dir.path());
        Pick(*f, 1);
        QCOMPARE(f->JvP1->text(), QString("Reference data"));

        // A file named before eng.lng: the start is still in English.
        WriteLanguage(dir.filePath("deutsch.lng"), "Deutsch", "Referenzdaten");
        f = Start(settings.path(), dir.path());
        QCOMPARE(f->language->Engine().Current().name, std::string("English"));
        QCOMPARE(f->LangCombo1->currentText(), QString("English"));
        QCOMPARE(f->JvP1->text(), QString("Reference data"));

        // Another file calling itself English does not hide the shipped one.
        WriteLanguage(dir.filePath("a_english.lng"), "English", "Other English");
        f = Start(settings.path(), dir.path());
        QCOMPARE(f->LangCombo1->count(), 3);
        QCOMPARE(f->JvP1->text(), QString("Reference data"));

        Pick(*f, f->LangCombo1->findText("Deutsch"));
        QCOMPARE(f->JvP1->text(), QString("Referenzdaten"));
        WriteLanguage(dir.filePath("afrikaans.lng"), "Afrikaans", "Verwysingsdata");
        f = Start(settings.path(), dir.path());
        QCOMPARE(f->LangCombo1->currentText(), QString("Deutsch"));
        QCOMPARE(f->JvP1->text(), QString("Referenzdaten"));
        f->settingsController->LoadSettings();  // as after a profile change
        QCOMPARE(f->language->Engine().Current().name, std::string("Deutsch"));

        QVERIFY(QFile::remove(dir.filePath("deutsch.lng")));
        f = Start(settings.path(), dir.path());
        QCOMPARE(f->language->Engine().CurrentIndex(), 0);
    }

    // A tolerance box set by loading a profile entry keeps its meaning, not
    // its text, across a switch: off stays off, a typed value stays typed.
    void toleranceFromAnEntryKeepsItsMeaning_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("off");
        QTest::newRow("off") << "OFF" << true;
        QTest::newRow("typed value") << "1,5%" << false;
    }
    void toleranceFromAnEntryKeepsItsMeaning() {
        QFETCH(QString, stored);
        QFETCH(bool, off);
        TForm1& f = *f_;
        profiles::TProfileEntry e;
        e.name = "R1";
        e.primaryTolerance = stored.toStdString();
        e.secondaryTolerance = stored.toStdString();
        e.primaryReference = "100";
        e.secondaryReference = "10";
        const profiles::Bytes bytes = profiles::NewProfile(e);
        const QString path = fixture_->settingsDir.filePath("a.hex1");
        WriteBytes(path, std::string(bytes.begin(), bytes.end()));
        f.CBox5->setCurrentIndex(3);
        f.CBox51->setCurrentIndex(2);
        QVERIFY(f.profileControl->OpenProfile(path));
        QCOMPARE(f.reference->PrimaryOn(), !off);

        for (int language : {1, 0}) {
            Pick(f, language);
            for (QComboBox* box : {f.CBox5, f.CBox51}) {
                QCOMPARE(box->currentText(), off ? box->itemText(0) : stored);
                QVERIFY(box->currentText() != box->itemText(0) || off);
            }
            QCOMPARE(f.reference->PrimaryOn(), !off);
            QCOMPARE(f.reference->SecondaryOn(), !off);
        }
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(LanguageTest)
#include "test_language.moc"

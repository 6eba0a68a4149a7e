// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "app/main.h"
#include "control/help_control.h"
#include "support/form_fixture.h"

// F1 opens the help; its About button the About box; both follow the language.
class HelpTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_));
        f_->activateWindow();
    }
    void cleanup() { fixture_.reset(); }

    void f1OpensTheHelpAndEscClosesIt() {
        TForm1& f = *f_;
        QVERIFY(!f.help->HelpWindow());
        QTest::keyClick(&f, Qt::Key_F1);
        QDialog* help = f.help->HelpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Справка"));
        const QString text = help->findChild<QTextBrowser*>("HelpText")->toPlainText();
        for (const char* topic : {"Подключ", "Пуск", "допуск", "EXCEL", "F1", "F7", "Esc"})
            QVERIFY2(text.contains(topic), topic);
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }

    void aboutNamesVersionLicenceAndAddress() {
        TForm1& f = *f_;
        QTest::keyClick(&f, Qt::Key_F1);
        auto* about = f.help->HelpWindow()->findChild<QPushButton*>("HelpAbout");
        QVERIFY(about);
        QTest::mouseClick(about, Qt::LeftButton);
        QMessageBox* box = f.help->AboutBox();
        QVERIFY(box && box->isVisible());
        const QString text = box->text();
        QVERIFY2(text.contains("GPL-3.0-or-later"), qPrintable(text));
        QVERIFY2(text.contains("https://"), qPrintable(text));
        QVERIFY2(!text.contains("%1") && !text.contains("%3"), qPrintable(text));
        QVERIFY(text.contains(QRegularExpression("\\d+\\.\\d+")));
    }

    void textsFollowTheLanguageWhileOpen() {
        TForm1& f = *f_;
        QTest::keyClick(&f, Qt::Key_F1);
        f.help->ShowAbout();
        f.LangCombo1->setCurrentIndex(1);
        emit f.LangCombo1->activated(1);
        QDialog* help = f.help->HelpWindow();
        QCOMPARE(help->windowTitle(), QString("Help"));
        QVERIFY(help->findChild<QTextBrowser*>("HelpText")->toPlainText().contains("Connecting"));
        QCOMPARE(help->findChild<QPushButton*>("HelpAbout")->text(), QString("About"));
        QCOMPARE(f.help->AboutBox()->windowTitle(), QString("About"));
        QVERIFY(f.help->AboutBox()->text().contains("Free software"));
        // Russian again.
        f.LangCombo1->setCurrentIndex(0);
        emit f.LangCombo1->activated(0);
        QCOMPARE(help->windowTitle(), QString("Справка"));
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(HelpTest)
#include "test_help.moc"

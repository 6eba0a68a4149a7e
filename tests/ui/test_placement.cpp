// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/log_grid.h"
#include "app/main.h"
#include "support/form_fixture.h"

// Where the window appears, on a screen larger than the window.
class PlacementTest : public QObject {
    Q_OBJECT

  private slots:
    void windowStartsCentredOnTheScreen() {
        FormFixture fixture;
        TForm1& f = *fixture.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect screen = f.QWidget::screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1920, 1080));
        const QPoint offset = f.frameGeometry().center() - screen.center();
        QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
                 qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
        QVERIFY(!QFile::exists(fixture.settingsDir.filePath("window.txt")));
    }

    // A wider window gives the room to the log grid and the connection log;
    // the meter's screen and the areas above the grid keep their design.
    void extraWidthGoesToTheGridAndTheConnectionLog() {
        FormFixture fixture;
        TForm1& f = *fixture.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.width(), 1024);
        const QRect reading = f.L_prim_n->geometry();
        const QRect reference = f.Panel7->geometry();
        const int grid = f.SG->width();
        const int memo = f.Memo1->width();
        auto columns = [&f] {
            int sum = 0;
            for (int c = 0; c < 10; ++c) sum += f.SG->columnWidth(c);
            return sum;
        };
        const int designColumns = columns();

        f.resize(1400, 760);
        QTRY_COMPARE(f.width(), 1400);
        QTRY_COMPARE(f.SG->width(), grid + 376);
        QCOMPARE(f.Memo1->width(), memo + 376);
        QVERIFY(f.JvPanel3->rect().contains(f.Memo1->geometry()));
        QCOMPARE(f.L_prim_n->geometry(), reading);
        QVERIFY(!f.Memo1->geometry().intersects(reading));
        QCOMPARE(f.Panel7->geometry(), reference);
        // The columns take the room too.
        QCOMPARE(columns(), designColumns + 376);
        QVERIFY(columns() <= f.SG->viewport()->width());
        QCOMPARE(f.SG->horizontalScrollBar()->maximum(), 0);

        f.resize(1024, 665);
        QTRY_COMPARE(f.width(), 1024);
        QTRY_COMPARE(columns(), designColumns);
        QCOMPARE(f.Memo1->width(), memo);
    }

    // Size and place are remembered beside 1.dat, not in it, and the next
    // start opens there; a place off every screen comes back onto one.
    void placeIsRememberedBesideTheSettings() {
        QTemporaryDir folder;
        const QString file = folder.filePath("window.txt");
        auto start = [&folder] {
            TForm1Ports ports;
            ports.settingsFolder = folder.path();
            ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
            return std::make_unique<TForm1>(std::move(ports));
        };
        {
            auto f = start();
            f->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.get()));
            f->setGeometry(150, 120, 1300, 720);
            QTRY_COMPARE(f->geometry(), QRect(150, 120, 1300, 720));
            const QByteArray settings = [&] {
                QFile dat(folder.filePath("1.dat"));
                return dat.open(QIODevice::ReadOnly) ? dat.readAll() : QByteArray();
            }();
            QVERIFY(f->close());
            QFile dat(folder.filePath("1.dat"));
            QVERIFY(dat.open(QIODevice::ReadOnly));
            QCOMPARE(dat.readAll(), settings);
        }
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("geometry=150,120,1300,720\nmaximized=0\n"));
        saved.close();
        {
            auto f = start();
            f->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.get()));
            QCOMPARE(f->geometry(), QRect(150, 120, 1300, 720));
        }
        QVERIFY(saved.open(QIODevice::WriteOnly | QIODevice::Truncate));
        saved.write("geometry=5000,4000,1100,700\n");
        saved.close();
        {
            auto f = start();
            f->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.get()));
            QVERIFY2(f->QWidget::screen()->availableGeometry().contains(f->geometry()),
                     qPrintable(QString("%1,%2").arg(f->x()).arg(f->y())));
            QCOMPARE(f->size(), QSize(1100, 700));
        }
    }

    // The window carries the program's icon, drawn from the shipped SVG.
    void windowHasTheProgramIcon() {
        FormFixture fixture;
        const QIcon icon = fixture.form->windowIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(!icon.pixmap(QSize(48, 48)).isNull());
    }
};

// The offscreen platform's screen is 800 pixels wide unless told otherwise;
// this one is a common desktop.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screens.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(R"({"screens":[{"name":"desk","x":0,"y":0,"width":1920,"height":1080,)"
               R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    PlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_placement.moc"

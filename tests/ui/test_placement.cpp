// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

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

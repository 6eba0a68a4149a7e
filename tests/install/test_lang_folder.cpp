// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/lang_folder.h"
#include "build_info.h"

// Where the program looks for its language files: a build-folder run, a run
// from a folder holding lang/, and an installed program.
class LangFolderTest : public QObject {
    Q_OBJECT

  private slots:
    void findsTheFirstFolderHoldingEngLng_data() {
        QTest::addColumn<QStringList>("files");  // under the root; a trailing / makes a folder
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("expected");  // empty: none found

        const QString data = "prog/bin/" RLC_DATA_FROM_BIN "/lang";
        QTest::newRow("beside the program") << QStringList{"build/lang/eng.lng"} << "build"
                                            << "build/lang";
        QTest::newRow("installed data folder")
            << QStringList{data + "/eng.lng"} << "prog/bin" << data;
        QTest::newRow("current folder") << QStringList{"cwd/lang/eng.lng"} << "prog/bin"
                                        << "cwd/lang";
        QTest::newRow("current folder before installed")
            << QStringList{"cwd/lang/eng.lng", data + "/eng.lng"} << "prog/bin"
            << "cwd/lang";
        QTest::newRow("beside before current folder")
            << QStringList{"build/lang/eng.lng", "cwd/lang/eng.lng"} << "build"
            << "build/lang";
        QTest::newRow("lang without eng.lng is passed over")
            << QStringList{"prog/bin/lang/rus.lng", "cwd/lang/", data + "/eng.lng"} << "prog/bin"
            << data;
        QTest::newRow("eng.lng that is a folder is passed over")
            << QStringList{"cwd/lang/eng.lng/", data + "/eng.lng"} << "prog/bin" << data;
        QTest::newRow("nowhere") << QStringList{"cwd/lang/rus.lng", "prog/bin/eng.lng"}
                                 << "prog/bin"
                                 << "";
    }
    void findsTheFirstFolderHoldingEngLng() {
        QFETCH(QStringList, files);
        QFETCH(QString, programDir);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QDir dir(root.path());
        QVERIFY(dir.mkpath("cwd") && dir.mkpath(programDir));
        for (const QString& f : files) {
            if (f.endsWith('/')) {
                QVERIFY(dir.mkpath(f));
                continue;
            }
            QVERIFY(dir.mkpath(QFileInfo(dir.filePath(f)).path()));
            QFile file(dir.filePath(f));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString found = FindLanguageFolder(dir.filePath(programDir), dir.filePath("cwd"));
        QCOMPARE(found, expected.isEmpty() ? QString() : QDir::cleanPath(dir.filePath(expected)));
    }

    // The message of a failed start names every place that was tried.
    void candidatesNameEveryPlace() {
        const QStringList places = LanguageFolderCandidates("/opt/x/bin", "/home/u");
        QCOMPARE(places, QStringList({"/opt/x/bin/lang", "/home/u/lang",
                                      QDir::cleanPath("/opt/x/bin/" RLC_DATA_FROM_BIN "/lang")}));
    }
};

QTEST_GUILESS_MAIN(LangFolderTest)
#include "test_lang_folder.moc"

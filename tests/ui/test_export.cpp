// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "connection/connection_manager.h"
#include "control/export_control.h"
#include "control/journal_view.h"
#include "export/si_sheet.h"
#include "support/rlcd_frames.h"

namespace {

// Both sheets of a workbook as openpyxl reads them: per sheet its title, its
// cells as [type, text] (types "n" number, "s" text, "d" date), the widths
// of its columns, its frozen cell and its autofilter.
QJsonArray ReadBack(const QString& path) {
    static const char* kScript = R"(
import json, sys, datetime, openpyxl
out = []
for ws in openpyxl.load_workbook(sys.argv[1]).worksheets:
    def cell(v):
        if v is None: return None
        if isinstance(v, datetime.datetime): return ["d", v.isoformat()]
        if isinstance(v, (int, float)): return ["n", repr(float(v))]
        return ["s", str(v)]
    out.append({"title": ws.title,
                "rows": [[cell(c.value) for c in r] for r in ws.iter_rows()],
                "widths": {k: d.width for k, d in ws.column_dimensions.items()},
                "freeze": ws.freeze_panes or "", "filter": ws.auto_filter.ref or ""})
print(json.dumps(out))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", kScript, path});
    if (!p.waitForFinished(30000)) return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

QJsonArray Rows(const QJsonArray& book, int sheet) {
    return book[sheet].toObject()["rows"].toArray();
}

// [type, text] of a cell, "-" for an empty one.
QString At(const QJsonArray& book, int sheet, int row, int column) {
    const QJsonValue v = Rows(book, sheet)[row].toArray()[column];
    if (v.isNull() || v.isUndefined()) return "-";
    return v[0].toString() + ":" + v[1].toString();
}

// Where a widget sits in its window.
QRect OnForm(const QWidget* w) {
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// Runs `act` on the file dialog that the next event loop shows.
void OnDialog(std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(*dialog);
    });
}

// A key as a person presses it, where the focus is. The offscreen platform
// may leave no window active after a dialog closed; on a desktop the window
// gets the keyboard back.
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    if (QApplication::activeWindow() != &window) QApplication::setActiveWindow(&window);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, key, modifiers);
}

double Width(const QJsonArray& book, int sheet, const char* column) {
    return book[sheet].toObject()["widths"].toObject()[column].toDouble();
}

}  // namespace

// The export button on a connected window whose workbooks open into a list.
class ExportTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        opened_.clear();
        opens_ = true;
        TForm1Ports ports;
        ports.settingsFolder = dir_->path();
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        ports.openDocument = [this](const QString& p) {
            opened_ << p;
            return opens_;
        };
        form_ = std::make_unique<TForm1>(std::move(ports));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        form_->state.MeterConnected = true;
        form_->SB4->setChecked(false);
    }
    void cleanup() {
        form_.reset();
        dir_.reset();
    }

    // Positions 1..5, then the start position set back to 2 and one more row:
    // rows 3..5 still hold measurements and belong in the workbook.
    void reRecordedPositionKeepsEveryLaterRow() {
        TForm1& f = *form_;
        for (int i = 0; i < 5; ++i)
            FeedRlcd(f, {.rs = 1000.0f + static_cast<float>(i), .hold = true});
        f.SE1->setFocus();
        f.SE1->selectAll();
        QTest::keyClicks(f.SE1, "2");
        QTest::keyClick(f.SE1, Qt::Key_Tab);
        QCOMPARE(f.SE1->value(), 2);
        FeedRlcd(f, {.rs = 2000.0f, .hold = true});
        QCOMPARE(f.log->LogPosition(), 3);

        QTest::mouseClick(f.Button4, Qt::LeftButton);
        QCOMPARE(opened_.size(), 1);
        const QJsonArray book = ReadBack(opened_[0]);
        QCOMPARE(book.size(), 2);
        QCOMPARE(Rows(book, 0).size(), 6);  // the headers and positions 1..5
        for (int r = 1; r <= 5; ++r) QCOMPARE(At(book, 0, r, 0), QString("n:%1.0").arg(r));
        QVERIFY(At(book, 0, 2, 2).contains("2,000"));  // the re-recorded row

        // One number row per grid row, in grid order, with the ohms as numbers.
        QCOMPARE(Rows(book, 1).size(), 6);
        const QStringList rs{"1000.0", "2000.0", "1002.0", "1003.0", "1004.0"};
        for (int r = 1; r <= 5; ++r) {
            QCOMPARE(At(book, 1, r, exporter::kSiPosition), QString("n:%1.0").arg(r));
            QCOMPARE(At(book, 1, r, exporter::kSiRs), "n:" + rs[r - 1]);
            QVERIFY(At(book, 1, r, exporter::kSiTime).startsWith("d:"));
            QCOMPARE(At(book, 1, r, exporter::kSiPrimaryParameter), QString("s:R"));
        }
    }

    // The time column fits its dates, every column is set, the number sheet
    // keeps its header in view and can be filtered.
    void workbookReadsAtOnce() {
        TForm1& f = *form_;
        for (int i = 0; i < 2; ++i) FeedRlcd(f, {.hold = true});
        const QString path = f.exportControl->ExportToExcel();
        QVERIFY(!path.isEmpty());
        const QJsonArray book = ReadBack(path);
        QCOMPARE(book.size(), 2);
        QVERIFY(At(book, 0, 1, 1).startsWith("d:"));
        QVERIFY2(Width(book, 0, "B") >= 18, qPrintable(QString::number(Width(book, 0, "B"))));
        for (const char* c : {"A", "C", "D", "E", "F", "G"}) QVERIFY2(Width(book, 0, c) > 0, c);
        QVERIFY(Width(book, 0, "C") >= QString("R 1,000 кОм").size());
        QCOMPARE(book[1].toObject()["freeze"].toString(), QString("A2"));
        QCOMPARE(book[1].toObject()["filter"].toString(), QString("A1:O3"));
        QCOMPARE(At(book, 1, 0, exporter::kSiFrequency), QString("s:Частота, Гц"));
    }

    // While connected the connection log is hidden; what the export says
    // shows under the grid, and the connection log keeps it too.
    void exportSaysWhereTheWorkbookIsWhileConnected_data() {
        QTest::addColumn<bool>("opens");
        QTest::newRow("a program opens it") << true;
        QTest::newRow("no program opens it") << false;
    }
    void exportSaysWhereTheWorkbookIsWhileConnected() {
        QFETCH(bool, opens);
        TForm1& f = *form_;
        opens_ = opens;
        f.connection->EnterConnectedState();
        f.connection->T50Timer();
        QVERIFY(!f.Memo1->isVisible());
        FeedRlcd(f, {.hold = true});
        QVERIFY(!f.LNote->isVisible());
        const QRect readings = OnForm(f.Panel_RLCD);
        QTest::mouseClick(f.Button4, Qt::LeftButton);
        QCOMPARE(opened_.size(), 1);
        QVERIFY(f.LNote->isVisible());
        QVERIFY(f.LNote->text().contains(opened_[0]));
        QCOMPARE(f.LNote->text().startsWith("Нет программы"), !opens);
        QVERIFY(f.Memo1->toPlainText().contains("Таблица записана в файл: " + opened_[0]));
        // The note line takes room from the grid, never the readings.
        QVERIFY(OnForm(f.LNote).top() >= OnForm(f.SG).bottom());
        QCOMPARE(OnForm(f.Panel_RLCD), readings);
        QVERIFY(!OnForm(f.LNote).intersects(readings));
        QVERIFY(f.rect().contains(OnForm(f.LNote)));
    }

    // A journal that cannot be written says so under the grid as well.
    void journalFailureShowsWhileConnected() {
        TForm1& f = *form_;
        f.connection->EnterConnectedState();
        f.connection->T50Timer();
        QFile blocker(dir_->path() + "/journal");  // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FeedRlcd(f, {.hold = true});
        QVERIFY(f.LNote->isVisible());
        QVERIFY(!f.LNote->text().isEmpty());
        QVERIFY(f.Memo1->toPlainText().endsWith(f.LNote->text()));
    }

    // A log emptied by the clear button comes back from its journal, is
    // exported whole, and the log itself goes on underneath.
    void clearedLogComesBackFromItsJournal() {
        TForm1& f = *form_;
        for (int i = 0; i < 3; ++i)
            FeedRlcd(f, {.rs = 100.0f + static_cast<float>(i), .hold = true});
        const QString journal = f.log->JournalPath();
        QVERIFY(!journal.isEmpty());
        QTest::mouseClick(f.B5, Qt::LeftButton);
        QVERIFY(f.SG->Cells().Cell(1, 0).isEmpty());

        QString startedIn;
        OnDialog([&](QFileDialog& dialog) {
            startedIn = dialog.directory().absolutePath();
            dialog.selectFile(journal);
            static_cast<QDialog&>(dialog).accept();
        });
        QTest::mouseClick(f.BJournal, Qt::LeftButton);
        QCOMPARE(startedIn, QDir(dir_->path() + "/journal").absolutePath());
        QVERIFY(f.SG->ShowsOther());
        QCOMPARE(f.SG->Shown().Cell(3, 0), QString("3"));
        QVERIFY(f.SG->Cells().Cell(1, 0).isEmpty());  // the log itself stays empty
        QCOMPARE(f.BJournal->text(), QString("К таблице"));
        QVERIFY(f.LNote->text().contains(QDir::toNativeSeparators(journal)));

        QTest::mouseClick(f.Button4, Qt::LeftButton);
        QCOMPARE(opened_.size(), 1);
        const QJsonArray book = ReadBack(opened_[0]);
        QCOMPARE(Rows(book, 0).size(), 4);
        QCOMPARE(Rows(book, 1).size(), 4);
        QCOMPARE(At(book, 1, 3, exporter::kSiRs), QString("n:102.0"));

        // The next recorded row goes to the log, which is shown again.
        FeedRlcd(f, {.hold = true});
        QVERIFY(!f.SG->ShowsOther());
        QCOMPARE(f.SG->Cells().Cell(1, 0), QString("1"));
        QCOMPARE(f.BJournal->text(), QString("Журнал…"));
    }

    void theButtonAgainShowsTheLog() {
        TForm1& f = *form_;
        FeedRlcd(f, {.hold = true});
        const QString journal = f.log->JournalPath();
        f.journalView->SetChooser([&](const QString&) { return journal; });
        QTest::mouseClick(f.BJournal, Qt::LeftButton);
        QVERIFY(f.SG->ShowsOther());
        QVERIFY(f.LNote->isVisible());
        QTest::mouseClick(f.BJournal, Qt::LeftButton);
        QVERIFY(!f.SG->ShowsOther());
        QCOMPARE(f.SG->Cells().Cell(1, 0), QString("1"));
        QVERIFY(!f.LNote->isVisible());  // it no longer says which journal is shown
    }

    // By keys alone: Ctrl+J opens the dialog, Esc there changes nothing,
    // a typed name and Return show the journal, Esc in the window keeps it
    // and the log, Ctrl+J again brings the log back with its cursor.
    void theViewByKeysAndEscClearsNothing() {
        TForm1& f = *form_;
        for (int i = 0; i < 2; ++i) FeedRlcd(f, {.hold = true});
        const QString journal = f.log->JournalPath();
        QVERIFY(f.BJournal->toolTip().contains("Ctrl+J"));
        QCOMPARE(f.BJournal->focusPolicy(), Qt::NoFocus);
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.SE1->setFocus();
        const int position = f.SE1->value();

        bool asked = false;
        OnDialog([&](QFileDialog& dialog) {
            asked = true;
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        Press(f, Qt::Key_J, Qt::ControlModifier);
        QVERIFY(asked);
        QVERIFY(!f.SG->ShowsOther());
        QCOMPARE(f.SG->Cells().Cell(2, 0), QString("2"));
        QCOMPARE(f.SE1->value(), position);

        OnDialog([&](QFileDialog& dialog) {
            auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setFocus();
            QTest::keyClicks(name, QFileInfo(journal).fileName());
            QTest::keyClick(name, Qt::Key_Return);
        });
        Press(f, Qt::Key_J, Qt::ControlModifier);
        QVERIFY(f.SG->ShowsOther());
        QCOMPARE(f.SG->Shown().Cell(2, 0), QString("2"));

        Press(f, Qt::Key_Escape);
        QVERIFY(f.SG->ShowsOther());
        Press(f, Qt::Key_J, Qt::ControlModifier);
        QVERIFY(!f.SG->ShowsOther());
        QCOMPARE(f.SG->Cells().Cell(2, 0), QString("2"));
        QCOMPARE(f.SE1->value(), position);
        QCOMPARE(f.log->LogPosition(), 3);
    }

    // Rows whose position the grid cannot hold (a long `rlc-meter log`) are
    // left out of the view, and the note says how many.
    void positionsPastTheGridAreLeftOutAndSaid() {
        TForm1& f = *form_;
        for (int i = 0; i < 3; ++i) FeedRlcd(f, {.hold = true});
        QFile file(f.log->JournalPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        const QByteArray last = bytes.split('\n').at(3);
        QVERIFY(last.contains(";single;3;"));
        const QString path = dir_->path() + "/long.csv";
        QFile copy(path);
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write(bytes);
        copy.write(QByteArray(last).replace(";single;3;", ";single;100001;") + "\n");
        copy.close();

        QVERIFY(f.journalView->Open(path));
        QCOMPARE(f.SG->Shown().RowCount(), 4);
        QCOMPARE(f.SG->Shown().Cell(3, 0), QString("3"));
        QVERIFY2(f.LNote->text().endsWith("не показаны строки с позицией вне таблицы: 1"),
                 qPrintable(f.LNote->text()));
    }

    void unreadableJournalLeavesTheGridAndSaysWhy() {
        TForm1& f = *form_;
        FeedRlcd(f, {.hold = true});
        const QString bad = dir_->path() + "/bad.csv";
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a journal\r\n");
        file.close();
        for (const QString& path : {bad, dir_->path() + "/missing.csv", dir_->path()}) {
            QVERIFY(!f.journalView->Open(path));
            QVERIFY(!f.SG->ShowsOther());
            QCOMPARE(f.SG->Cells().Cell(1, 0), QString("1"));
            QVERIFY2(f.LNote->text().startsWith(
                         "Журнал не открывается: " + QDir::toNativeSeparators(path) + " ("),
                     qPrintable(f.LNote->text()));
        }
    }

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TForm1> form_;
    QStringList opened_;
    bool opens_ = true;
};

QTEST_MAIN(ExportTest)
#include "test_export.moc"

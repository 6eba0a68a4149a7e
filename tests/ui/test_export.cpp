// SPDX-License-Identifier: GPL-3.0-or-later
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/main.h"
#include "control/export_control.h"
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
        TForm1Ports ports;
        ports.settingsFolder = dir_->path();
        ports.languageFolder = qEnvironmentVariable("RLC_SOURCE_DIR") + "/lang";
        ports.openDocument = [this](const QString& p) {
            opened_ << p;
            return true;
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

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TForm1> form_;
    QStringList opened_;
};

QTEST_MAIN(ExportTest)
#include "test_export.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

#include "app/log_grid.h"
#include "app/main.h"
#include "connection/connection_manager.h"
#include "support/form_fixture.h"
#include "support/rlcd_frames.h"

namespace {

// Room either side of a line edit's text.
constexpr int kEditMargin = 2;

QString Name(const QWidget* w) {
    return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

bool IsTextControl(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) return !l->text().isEmpty();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return !b->text().isEmpty();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return !qobject_cast<const QComboBox*>(e->parentWidget()) &&
               !qobject_cast<const QAbstractSpinBox*>(e->parentWidget());
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

// Why a text does not fit across `width` or, by its ink, `height`; empty if it does.
QString Cut(const QFontMetrics& fm, const QString& text, int width, int height) {
    const int w = fm.horizontalAdvance(text);
    const int h = fm.tightBoundingRect(text).height();
    if (w <= width && h <= height) return {};
    return QString("\"%1\" needs %2x%3 in %4x%5").arg(text).arg(w).arg(h).arg(width).arg(height);
}

// Where a control draws its text, as the user sees it; empty when it fits.
QString TextCut(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->wordWrap() || l->text().contains('\n') || Qt::mightBeRichText(l->text()))
            return l->sizeHint().height() <= l->height() ? QString() : "wrapped text too tall";
        return Cut(fm, l->text(), l->contentsRect().width() - 2 * l->margin(),
                   l->contentsRect().height());
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b))
            return b->sizeHint().width() <= b->width() ? QString() : "text runs out";
        QStyleOptionButton opt;
        opt.initFrom(b);
        const QRect r = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        return Cut(fm, b->text(), r.width(), r.height());
    }
    if (const auto* c = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        opt.subControls = QStyle::SC_All;
        const QRect r =
            c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        const int width = r.width() - (c->isEditable() ? 2 * kEditMargin : 0);
        for (int i = 0; i < c->count(); ++i)
            if (QString cut = Cut(fm, c->itemText(i), width, r.height()); !cut.isEmpty())
                return cut;
        return {};
    }
    if (const auto* s = qobject_cast<const QAbstractSpinBox*>(w)) {
        QStyleOptionSpinBox opt;
        opt.initFrom(s);
        opt.subControls = QStyle::SC_All;
        const QRect r =
            s->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, s);
        return Cut(fm, s->text(), r.width() - 2 * kEditMargin, r.height());
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
        if (e->minimumWidth() != e->maximumWidth()) return {};  // a long text scrolls
        return Cut(fm, e->text(), e->contentsRect().width() - 2 * kEditMargin,
                   e->contentsRect().height());
    }
    return {};
}

// The part of the window a control's text takes: the ink of a one-line
// label's text where it is aligned within the label, any other control whole.
QRect TextArea(const QWidget* w, const QWidget* window) {
    QRect r = w->rect();
    if (const auto* l = qobject_cast<const QLabel*>(w);
        l && !l->wordWrap() && !l->text().contains('\n')) {
        const QFontMetrics fm = l->fontMetrics();
        const QRect line =
            l->style()->itemTextRect(fm, l->contentsRect(), int(l->alignment()), true, l->text());
        r = fm.tightBoundingRect(l->text()).translated(line.left(), line.top() + fm.ascent()) &
            l->rect();
    }
    return QRect(w->mapTo(window, r.topLeft()), r.size());
}

}  // namespace

// Every text the window shows fits its control, and no two texts lie over
// each other: with the font the window is laid out for, and in a second run
// (ui_test_text_fit_dejavu) with only the DejaVu fonts installed, whose
// letters run wider and taller.
class TextFitTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_));
    }
    void cleanup() { fixture_.reset(); }

    void textsFitAndDoNotOverlap_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<float>("rs");
        for (const bool english : {false, true})
            for (const bool connected : {false, true})
                for (const float rs : {999.55f, -1.23456e6f})
                    QTest::addRow("%s, %s, %g", english ? "English" : "Russian",
                                  connected ? "connected" : "not connected", double(rs))
                        << english << connected << rs;
    }
    void textsFitAndDoNotOverlap() {
        QFETCH(bool, english);
        QFETCH(bool, connected);
        QFETCH(float, rs);
        TForm1& f = *f_;
        qInfo() << "window font" << QFontInfo(f.font()).family();
        if (english) {
            f.LangCombo1->setCurrentIndex(1);
            emit f.LangCombo1->activated(1);
            QCOMPARE(f.SP1->text(), QString("Start"));
        }
        if (connected) {
            f.connection->EnterConnectedState();
            f.connection->T50Timer();
        }
        FeedRlcd(f, {rs, 20.0f});
        QApplication::processEvents();

        QList<QWidget*> shown;
        for (QWidget* w : f.findChildren<QWidget*>())
            if (w->isVisible() && IsTextControl(w)) shown << w;
        QVERIFY(shown.size() > 40);
        for (const QWidget* w : shown) {
            const QString cut = TextCut(w);
            QVERIFY2(cut.isEmpty(), qPrintable(Name(w) + ": " + cut));
        }
        for (qsizetype i = 0; i < shown.size(); ++i)
            for (qsizetype j = i + 1; j < shown.size(); ++j) {
                const QWidget* a = shown[i];
                const QWidget* b = shown[j];
                if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
                const QRect overlap = TextArea(a, &f) & TextArea(b, &f);
                QVERIFY2(overlap.isEmpty(), qPrintable(QString("%1 over %2 at %3,%4 %5x%6")
                                                           .arg(Name(a), Name(b))
                                                           .arg(overlap.x())
                                                           .arg(overlap.y())
                                                           .arg(overlap.width())
                                                           .arg(overlap.height())));
            }
        // The log's column names fit their columns.
        const QHeaderView* header = f.SG->horizontalHeader();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int c = 0; c < header->count(); ++c) {
            const QString name = header->model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(header->fontMetrics().horizontalAdvance(name) + 2 * margin <=
                         header->sectionSize(c),
                     qPrintable(name));
        }
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(TextFitTest)
#include "test_text_fit.moc"

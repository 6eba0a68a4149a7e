// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/text_fit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace widgets {
namespace {

constexpr char kDesignPixels[] = "designPixels";
// QLineEdit keeps this much room either side of its text.
constexpr int kLineEditMargin = 2;

// A one-line text fits across `width` and, by its inked height, `height`.
bool LineFits(const QFontMetrics& fm, const QString& text, int width, int height) {
    if (text.isEmpty()) return true;
    return fm.horizontalAdvance(text) <= width && fm.tightBoundingRect(text).height() <= height;
}

bool LabelFits(const QLabel* l, const QFont& font) {
    const QString text = l->text();
    if (text.isEmpty() || l->textFormat() == Qt::RichText ||
        (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
        return true;
    const QFontMetrics fm(font);
    const int m = l->margin();
    QRect room = l->contentsRect().adjusted(m, m, -m, -m);
    if (l->indent() > 0) room.adjust(l->indent(), 0, 0, 0);
    if (l->wordWrap() || text.contains('\n')) {
        const int flags = int(l->alignment()) | (l->wordWrap() ? int(Qt::TextWordWrap) : 0);
        const QRect needed = fm.boundingRect(room, flags, text);
        return needed.width() <= room.width() && needed.height() <= room.height();
    }
    return LineFits(fm, text, room.width(), room.height());
}

bool ButtonFits(const QAbstractButton* b, const QFont& font) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    const QStyle::SubElement contents =
        qobject_cast<const QCheckBox*>(b)      ? QStyle::SE_CheckBoxContents
        : qobject_cast<const QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                               : QStyle::SE_PushButtonContents;
    const QRect room = b->style()->subElementRect(contents, &opt, b);
    return LineFits(QFontMetrics(font), b->text(), room.width(), room.height());
}

bool ComboFits(const QComboBox* c, const QFont& font) {
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = c->isEditable();
    opt.frame = c->hasFrame();
    opt.subControls = QStyle::SC_All;
    const QRect field =
        c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    const int width = field.width() - (c->isEditable() ? 2 * kLineEditMargin : 0);
    const QFontMetrics fm(font);
    for (int i = 0; i < c->count(); ++i)
        if (!LineFits(fm, c->itemText(i), width, field.height())) return false;
    return c->isEditable() ? LineFits(fm, c->currentText(), width, field.height()) : true;
}

bool SpinFits(const QAbstractSpinBox* s, const QFont& font) {
    QStyleOptionSpinBox opt;
    opt.initFrom(s);
    opt.frame = s->hasFrame();
    opt.buttonSymbols = s->buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp |
                      QStyle::SC_SpinBoxDown;
    const QRect field =
        s->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, s);
    return LineFits(QFontMetrics(font), s->text(), field.width() - 2 * kLineEditMargin,
                    field.height());
}

// A line edit of fixed width holding a value the design sized it for.
bool EditFits(const QLineEdit* e, const QFont& font) {
    if (e->minimumWidth() != e->maximumWidth()) return true;  // its text scrolls
    const QMargins t = e->textMargins();
    const QRect room = e->contentsRect().adjusted(t.left(), t.top(), -t.right(), -t.bottom());
    return LineFits(QFontMetrics(font), e->text(), room.width() - 2 * kLineEditMargin,
                    room.height());
}

}  // namespace

bool TextFits(const QWidget* w, const QFont& font) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) return LabelFits(l, font);
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return ButtonFits(b, font);
    if (const auto* c = qobject_cast<const QComboBox*>(w)) return ComboFits(c, font);
    if (const auto* s = qobject_cast<const QAbstractSpinBox*>(w)) return SpinFits(s, font);
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
        // The line edit of a combo or spin box goes with its owner.
        const QWidget* owner = e->parentWidget();
        if (qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner))
            return true;
        return EditFits(e, font);
    }
    return true;
}

void ShrinkToFit(QWidget* w, const std::function<bool(const QFont&)>& fits) {
    QVariant design = w->property(kDesignPixels);
    if (!design.isValid()) {
        const int pixels = w->font().pixelSize();
        if (pixels <= 0) return;  // sized in points: not one of the window's controls
        design = pixels;
        w->setProperty(kDesignPixels, design);
    }
    const int largest = design.toInt();
    QFont font = w->font();
    int pixels = largest;
    for (const int smallest = std::max(6, largest / 2); pixels > smallest; --pixels) {
        font.setPixelSize(pixels);
        if (fits(font)) break;
    }
    if (w->font().pixelSize() == pixels) return;
    font.setPixelSize(pixels);
    w->setFont(font);
}

void FitText(QWidget* w) {
    ShrinkToFit(w, [w](const QFont& font) { return TextFits(w, font); });
}

void FitTexts(QWidget* root) {
    FitText(root);
    for (QWidget* w : root->findChildren<QWidget*>()) FitText(w);
}

}  // namespace widgets

// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/reference_editor.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

#include "app/main.h"
#include "app/step_spin_box.h"
#include "log/value_prefix.h"

namespace {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// Caret positions count code points in the core and UTF-16 units in Qt.
int CodePointsBefore(const QString& text, int utf16) {
    return static_cast<int>(text.left(utf16).toUcs4().size());
}
int Utf16Before(const QString& text, int codePoints) {
    const QList<uint> ucs4 = text.toUcs4();
    codePoints = std::clamp(codePoints, 0, static_cast<int>(ucs4.size()));
    return static_cast<int>(
        QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs4.constData()), codePoints).size());
}

}  // namespace

ReferenceEditor::ReferenceEditor(TForm1& form, QObject* parent)
    : QObject(parent), form_(form), separator_(Utf8(QLocale().decimalPoint())) {
    FillToleranceLists();
    // Only what the user does runs the filters and focus moves; the program's
    // own changes (a profile entry loading) are already clean.
    connect(form_.E2, &QLineEdit::textEdited, this, &ReferenceEditor::E2Change);
    connect(form_.E11, &QLineEdit::textEdited, this, &ReferenceEditor::E11Change);
    connect(form_.CBox5->lineEdit(), &QLineEdit::textEdited, this, &ReferenceEditor::CBox5Change);
    connect(form_.CBox5, &QComboBox::activated, this, &ReferenceEditor::CBox5Confirmed);
    connect(form_.CBox51->lineEdit(), &QLineEdit::textEdited, this, &ReferenceEditor::CBox51Change);
    connect(form_.CBox51, &QComboBox::activated, this, &ReferenceEditor::CBox51Confirmed);
    // Enter and Tab confirm a typed tolerance.
    for (QComboBox* box : {form_.CBox5, form_.CBox51}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    connect(form_.CBox2, &QComboBox::currentIndexChanged, this,
            &ReferenceEditor::ShowPrimaryUnitBox);
    connect(form_.CBox11, &QComboBox::currentIndexChanged, this,
            &ReferenceEditor::ShowSecondaryUnitBox);
}

void ReferenceEditor::FillToleranceLists() {
    for (QComboBox* box : {form_.CBox5, form_.CBox51}) {
        const QSignalBlocker block(box);
        const QString text = box->currentText();
        const std::string off = Utf8(box->itemText(0));
        box->clear();
        for (const std::string& item : logcore::ToleranceListItems(off, Separator()))
            box->addItem(QString::fromStdString(item));
        box->setEditText(text);
    }
}

void ReferenceEditor::NormalizeNumber(QLineEdit* edit, QComboBox* unitBox,
                                      std::span<const int> exponents) {
    QString old = edit->text();
    int caret = edit->cursorPosition();
    // "м" was read as milli and left the box; with the "к" after it, it is micro.
    if (edit == milliBox_ && old.contains(QStringLiteral("к"))) {
        old = milliNumber_ + QStringLiteral("мк");
        caret = static_cast<int>(old.size());
    }
    milliBox_ = nullptr;
    const auto out = logcore::NormalizePrefixedNumber(Utf8(old), CodePointsBefore(old, caret),
                                                      Separator(), exponents, edit->maxLength());
    const QString text = QString::fromStdString(out.edited.text);
    if (text != edit->text()) edit->setText(text);
    edit->setCursorPosition(Utf16Before(text, out.edited.caret));
    if (out.unit && unitBox) unitBox->setCurrentIndex(*out.unit);
    if (out.cyrillicMilli) {
        milliBox_ = edit;
        milliNumber_ =
            QString::fromStdString(logcore::NormalizeNumberText(Utf8(old), 0, Separator()).text);
    }
}

void ReferenceEditor::NormalizeTolerance(QComboBox* box) {
    QLineEdit* edit = box->lineEdit();
    const QString old = edit->text();
    const auto out =
        logcore::NormalizeToleranceText(Utf8(old), CodePointsBefore(old, edit->cursorPosition()),
                                        Utf8(box->itemText(0)), Separator());
    const QString text = QString::fromStdString(out.text);
    if (text != old) box->setEditText(text);
    edit->setCursorPosition(Utf16Before(text, out.caret));
}

void ReferenceEditor::E2Change() {
    switch (form_.CBox2->currentIndex()) {
        case logcore::primary::L:
            NormalizeNumber(form_.E2, form_.CBox3, logcore::kHenryExponents);
            break;
        case logcore::primary::C:
            NormalizeNumber(form_.E2, form_.CBox4, logcore::kFaradExponents);
            break;
        default:
            NormalizeNumber(form_.E2, form_.CBox1, logcore::kOhmExponents);
            break;
    }
}

void ReferenceEditor::E11Change() {
    if (form_.CBox11->currentIndex() == logcore::secondary::R)
        NormalizeNumber(form_.E11, form_.CBox31, logcore::kOhmExponents);
    else
        NormalizeNumber(form_.E11, nullptr, logcore::kPlainExponents);
}

void ReferenceEditor::CBox5Change() {
    NormalizeTolerance(form_.CBox5);
}

void ReferenceEditor::CBox51Change() {
    NormalizeTolerance(form_.CBox51);
}

void ReferenceEditor::CBox5Confirmed() {
    NormalizeTolerance(form_.CBox5);
    KeepUsableTolerance(form_.CBox5);
    MoveFocusOn(form_.CBox5, form_.SE2);
}

void ReferenceEditor::CBox51Confirmed() {
    NormalizeTolerance(form_.CBox51);
    KeepUsableTolerance(form_.CBox51);
    MoveFocusOn(form_.CBox51, form_.CBox2);
}

void ReferenceEditor::MoveFocusOn(QComboBox* box, QWidget* next) {
    // A typed text that equals an item is also "chosen" when the box loses
    // the focus; the control the user went to keeps it then.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus != box && focus != box->lineEdit() && focus->window() == &form_) return;
    next->setFocus();
}

bool ReferenceEditor::HoldsLimit(const QComboBox* box) const {
    return logcore::ToleranceHoldsLimit(Utf8(box->currentText()), Utf8(box->itemText(0)),
                                        Separator());
}

void ReferenceEditor::KeepUsableTolerance(QComboBox* box) {
    if (HoldsLimit(box)) {
        lastTolerance_[box] = box->currentText();
        return;
    }
    // What was kept may be an off entry of another language by now.
    box->setEditText(lastTolerance_.value(box));
    if (!HoldsLimit(box)) box->setCurrentIndex(0);
    lastTolerance_[box] = box->currentText();
}

void ReferenceEditor::StopWatching() {
    for (QComboBox* box : {form_.CBox5, form_.CBox51}) {
        box->removeEventFilter(this);
        box->lineEdit()->removeEventFilter(this);
    }
}

QComboBox* ReferenceEditor::ToleranceBoxOf(QObject* watched) const {
    for (QComboBox* box : {form_.CBox5, form_.CBox51})
        if (watched == box || watched == box->lineEdit()) return box;
    return nullptr;
}

bool ReferenceEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // Editing starts from the text the box holds; leaving it confirms.
        if (QComboBox* box = ToleranceBoxOf(watched)) {
            if (event->type() == QEvent::FocusIn && HoldsLimit(box))
                lastTolerance_[box] = box->currentText();
            if (event->type() == QEvent::FocusOut) KeepUsableTolerance(box);
        }
        return QObject::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool confirms =
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
         key->key() == Qt::Key_Tab) &&
        !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (!confirms) return QObject::eventFilter(watched, event);
    if (watched == form_.CBox5 || watched == form_.CBox5->lineEdit()) {
        CBox5Confirmed();
        return true;
    }
    if (watched == form_.CBox51 || watched == form_.CBox51->lineEdit()) {
        CBox51Confirmed();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ReferenceEditor::ShowPrimaryUnitBox() {
    const int parameter = form_.CBox2->currentIndex();
    form_.CBox1->setVisible(parameter == logcore::primary::R);
    form_.CBox3->setVisible(parameter == logcore::primary::L);
    form_.CBox4->setVisible(parameter == logcore::primary::C);
}

void ReferenceEditor::ShowSecondaryUnitBox() {
    form_.CBox31->setVisible(form_.CBox11->currentIndex() == logcore::secondary::R);
}

logcore::TReferenceInput ReferenceEditor::Input() const {
    logcore::TReferenceInput in;
    in.CBox2 = form_.CBox2->currentIndex();
    in.E2 = Utf8(form_.E2->text());
    in.CBox1 = form_.CBox1->currentIndex();
    in.CBox3 = form_.CBox3->currentIndex();
    in.CBox4 = form_.CBox4->currentIndex();
    in.CBox5 = Utf8(form_.CBox5->currentText());
    in.CBox5Off = Utf8(form_.CBox5->itemText(0));
    in.CBox11 = form_.CBox11->currentIndex();
    in.E11 = Utf8(form_.E11->text());
    in.CBox31 = form_.CBox31->currentIndex();
    in.CBox51 = Utf8(form_.CBox51->currentText());
    in.CBox51Off = Utf8(form_.CBox51->itemText(0));
    in.decimalSeparator = Separator();
    return in;
}

bool ReferenceEditor::PrimaryOn() const {
    return form_.CBox5->currentText() != form_.CBox5->itemText(0);
}

bool ReferenceEditor::SecondaryOn() const {
    return form_.CBox51->currentText() != form_.CBox51->itemText(0);
}

std::int32_t ReferenceEditor::CheckTolerance(const protocol::TMeterState& state,
                                             const protocol::TMeterSettings& settings) {
    const logcore::TReferenceInput in = Input();
    const logcore::TToleranceResult r =
        logcore::CheckTolerance(in, logcore::MeasuredFrom(state, settings));
    deviations_.Take(r, in);
    return r.verdict;
}

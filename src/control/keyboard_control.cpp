// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/keyboard_control.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include "app/main.h"
#include "control/recording_control.h"

namespace keys {

namespace {

// Keys that step a closed list to another item.
bool StepsAList(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

TKeyUse KeyUse(int key, Qt::KeyboardModifiers modifiers, bool printable, bool autoRepeat,
               TFocus focus) {
    if (key == Qt::Key_Space) {
        if (focus == TFocus::TextBox) return {};
        return {!autoRepeat, true};
    }
    if (focus != TFocus::LogWipingList) return {};
    // Alt with an arrow opens or closes the list: a choice made there is deliberate.
    if (StepsAList(key) && !(modifiers & Qt::AltModifier)) return {false, true};
    // Typing a letter would search the closed list and choose what it finds.
    if (printable && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return {false, true};
    return {};
}

}  // namespace keys

KeyboardControl::KeyboardControl(TForm1& form, QObject* parent)
    : QObject(parent),
      form_(form),
      shortcuts_{{{form.SP1, nullptr, i18n::keytext::StartStopHint},
                  {form.B2, nullptr, i18n::keytext::ConnectHint},
                  {form.Button4, nullptr, i18n::keytext::ExportHint},
                  {form.B5, nullptr, i18n::keytext::ClearHint}}} {
    const QKeySequence sequences[] = {QKeySequence(Qt::Key_F5), QKeySequence(Qt::Key_F6),
                                      QKeySequence(Qt::CTRL | Qt::Key_E),
                                      QKeySequence(Qt::CTRL | Qt::Key_L)};
    for (std::size_t i = 0; i < shortcuts_.size(); ++i) {
        TShortcut& s = shortcuts_[i];
        s.action = new QAction(&form_);
        s.action->setObjectName(s.button->objectName() + "Shortcut");
        s.action->setShortcut(sequences[i]);
        s.action->setShortcutContext(Qt::WindowShortcut);
        form_.addAction(s.action);
        // A click, as the mouse would make it: a disabled or hidden button does nothing.
        QPushButton* button = s.button;
        connect(s.action, &QAction::triggered, button, [button] {
            if (button->isEnabled() && button->isVisible()) button->click();
        });
    }
    ApplyTexts();
    qApp->installEventFilter(this);
}

void KeyboardControl::ApplyTexts() {
    for (const TShortcut& s : shortcuts_)
        s.button->setToolTip(QString::fromStdString(form_.lexicons.Dkeys.GetItem(s.hintItem)) +
                             " (" + s.action->shortcut().toString(QKeySequence::NativeText) + ")");
}

bool KeyboardControl::LogWipingList(const QObject* o) const {
    return o == form_.CBox10 || o == form_.LangCombo1;
}

keys::TFocus KeyboardControl::FocusOf(const QWidget* w) const {
    using keys::TFocus;
    // An inner line edit speaks for the box it belongs to.
    if (const QWidget* p = w->parentWidget();
        qobject_cast<const QLineEdit*>(w) &&
        (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p)))
        w = p;
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        if (combo->isEditable()) return TFocus::TextBox;
        return LogWipingList(combo) ? TFocus::LogWipingList : TFocus::Other;
    }
    // A spinner takes digits only: a space there records.
    if (qobject_cast<const QAbstractSpinBox*>(w)) return TFocus::Other;
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->isReadOnly() ? TFocus::Other : TFocus::TextBox;
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(w))
        return text->isReadOnly() ? TFocus::Other : TFocus::TextBox;
    if (const auto* text = qobject_cast<const QTextEdit*>(w))
        return text->isReadOnly() ? TFocus::Other : TFocus::TextBox;
    return TFocus::Other;
}

bool KeyboardControl::eventFilter(QObject* watched, QEvent* event) {
    // A wheel turned over a closed list steps it just as an arrow key does.
    if (event->type() == QEvent::Wheel && LogWipingList(watched)) return true;
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    // A key travels from the focused control up to the window; take it once,
    // where it starts.
    // The window's own focus widget, not the application's: that one is empty
    // while the window is not the active one (no window manager, say), though
    // keys still reach it.
    auto* w = static_cast<QWidget*>(watched);
    QWidget* first = form_.focusWidget();
    if (!first) first = &form_;
    if (w != first || w->window() != &form_) return QObject::eventFilter(watched, event);

    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint();
    const keys::TKeyUse use =
        keys::KeyUse(key->key(), key->modifiers(), printable, key->isAutoRepeat(), FocusOf(w));
    if (use.record) form_.recording->FormKeyDown(Qt::Key_Space);
    return use.swallow || QObject::eventFilter(watched, event);
}

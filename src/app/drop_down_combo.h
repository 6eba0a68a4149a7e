// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>

// A combo box that says when its list is about to drop down, before the list
// is sized and shown (items filled then show whole), and when the list has
// closed, however it closed (a choice, Esc, a click elsewhere).
class DropDownCombo : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;

    void showPopup() override {
        emit DroppingDown();
        QComboBox::showPopup();
        // The list's frame exists once it has been shown.
        if (QWidget* frame = view()->parentWidget(); frame && frame != watchedFrame_) {
            frame->installEventFilter(this);
            watchedFrame_ = frame;
        }
    }

  signals:
    void DroppingDown();
    // The list closed; a choice made in it is reported on its own.
    void ClosedUp();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == watchedFrame_ && event->type() == QEvent::Hide) emit ClosedUp();
        return QComboBox::eventFilter(watched, event);
    }

  private:
    QWidget* watchedFrame_ = nullptr;
};

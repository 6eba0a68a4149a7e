// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

// A combo box that says when its list is about to drop down, before the list
// is sized and shown: items filled then show whole.
class DropDownCombo : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;

    void showPopup() override {
        emit DroppingDown();
        QComboBox::showPopup();
    }

  signals:
    void DroppingDown();
};

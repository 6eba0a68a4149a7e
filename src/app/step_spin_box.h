// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSpinBox>

// A spinner that tells an arrow step (button or key) apart from a typed value.
class StepSpinBox : public QSpinBox {
    Q_OBJECT

  public:
    using QSpinBox::QSpinBox;

    void stepBy(int steps) override {
        const int before = value();
        QSpinBox::stepBy(steps);
        if (value() != before) emit Stepped(steps);
    }

  signals:
    // After the value changed by `steps` arrow steps (up positive).
    void Stepped(int steps);
};

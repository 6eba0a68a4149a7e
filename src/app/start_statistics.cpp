// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_statistics.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <array>
#include <cmath>

#include "app/main.h"
#include "control/statistics_control.h"
#include "log/tolerance.h"

namespace {

// The value in the largest unit of the list (factors in item order) that
// leaves at least 1, as a short text.
void TypeValue(TForm1& form, QComboBox* unitBox, double value,
               const std::array<double, 3>& factors) {
    int unit = 0;
    for (int i = 0; i < 3; ++i)
        if (value >= factors[static_cast<std::size_t>(i)]) unit = i;
    unitBox->setCurrentIndex(unit);
    QString text = QString::number(value / factors[static_cast<std::size_t>(unit)], 'g', 6);
    text.replace('.', QLocale().decimalPoint());
    form.E2->setText(text);
}

void SortAgainst(TForm1& form, const sim::TPart& part) {
    switch (part.kind) {
        case sim::TPartKind::Resistor:
            form.CBox2->setCurrentIndex(logcore::primary::R);
            TypeValue(form, form.CBox1, part.ohms, {1, 1e3, 1e6});
            break;
        case sim::TPartKind::Inductor:
            form.CBox2->setCurrentIndex(logcore::primary::L);
            TypeValue(form, form.CBox3, part.henries, {1e-6, 1e-3, 1});
            break;
        case sim::TPartKind::Capacitor:
            form.CBox2->setCurrentIndex(logcore::primary::C);
            TypeValue(form, form.CBox4, part.farads, {1e-12, 1e-9, 1e-6});
            break;
        default:
            return;
    }
    // Tight enough that the demo's spread yields a few rejects.
    form.CBox5->setCurrentText(QString("0") + QLocale().decimalPoint() + "1%");
}

}  // namespace

void OpenStatisticsAtStart(TForm1& form, const std::optional<sim::TPart>& demoPart) {
    if (demoPart) SortAgainst(form, *demoPart);
    form.statistics->BStatClick();
}

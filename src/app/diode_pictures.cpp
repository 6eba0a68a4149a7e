// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diode_pictures.h"

#include <QPainter>
#include <QPolygon>

namespace diode {
namespace {

// Background of the picture list, as the display panel shows it.
const QColor kBackground(0xB9, 0xD1, 0xEA);
constexpr int kW = 60;
constexpr int kH = 80;

QPixmap Blank() {
    QPixmap pm(kW, kH);
    pm.fill(kBackground);
    return pm;
}

void Leads(QPainter& p, int top, int bottom) {
    p.drawLine(kW / 2, 4, kW / 2, top);
    p.drawLine(kW / 2, bottom, kW / 2, kH - 4);
}

QPixmap Diode(bool pointingDown) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::black);
    const int top = 26;
    const int bottom = 54;
    Leads(p, top, bottom);
    const int tip = pointingDown ? bottom : top;
    const int base = pointingDown ? top : bottom;
    p.drawPolygon(
        QPolygon({QPoint(kW / 2 - 14, base), QPoint(kW / 2 + 14, base), QPoint(kW / 2, tip)}));
    p.drawLine(kW / 2 - 15, tip, kW / 2 + 15, tip);  // the bar marks the cathode
    return pm;
}

QPixmap Resistor() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::NoBrush);
    Leads(p, 18, 62);
    p.drawRect(kW / 2 - 10, 18, 20, 44);
    return pm;
}

}  // namespace

std::array<QPixmap, 3> Pictures() {
    return {Diode(true), Diode(false), Resistor()};
}

}  // namespace diode

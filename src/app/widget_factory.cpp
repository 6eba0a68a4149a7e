// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widget_factory.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace widgets {

QString WindowFontFamily(const QStringList& installed, const QString& fallback) {
    for (const char* family : {"Calibri", "Carlito"})
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    return fallback;
}

double DesignScale(const QFont& font) {
    // This line's width in bold Carlito at 100 pixels.
    constexpr double kDesignAdvance = 3322.7;
    static const QString kLine =
        QString::fromUtf8("Измерение профиля Отключить 1.0000 кОм ABCDEFGH abcdefgh 0123456789");
    QFont probe(font);
    probe.setPixelSize(100);
    probe.setBold(true);
    const double advance = QFontMetricsF(probe).horizontalAdvance(kLine);
    if (advance <= 0) return 1;
    return std::clamp(kDesignAdvance / advance, 0.7, 1.0);
}

int ScaledPixels(const QWidget* w, int pixels) {
    const double scale = w->window()->property(kFontScale).toDouble();
    return scale > 0 ? std::max(1, static_cast<int>(std::lround(pixels * scale))) : pixels;
}

void SetPixelFont(QWidget* w, int pixels, bool bold) {
    QFont f = w->font();
    f.setPixelSize(ScaledPixels(w, pixels));
    f.setBold(bold);
    w->setFont(f);
}

QFrame* Frame(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    return f;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int fontPixels) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (fontPixels > 0) SetPixelFont(l, fontPixels);
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int w, int h,
                    bool toggle) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFixedSize(w, h);
    b->setCheckable(toggle);
    b->setFocusPolicy(Qt::NoFocus);  // speed buttons never take the keyboard focus
    return b;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items, bool editable) {
    auto* c = new QComboBox(parent);
    SetUpCombo(c, name, items, editable);
    return c;
}

void SetUpCombo(QComboBox* c, const char* name, const QStringList& items, bool editable) {
    c->setObjectName(name);
    c->setEditable(editable);
    c->addItems(items);
}

namespace {
template <typename Box>
Box* MakeBox(QWidget* owner, QMargins margins, int spacing) {
    auto* box = owner ? new Box(owner) : new Box;
    box->setContentsMargins(margins);
    box->setSpacing(spacing);
    return box;
}
}  // namespace

QVBoxLayout* Column(QWidget* owner, QMargins margins, int spacing) {
    return MakeBox<QVBoxLayout>(owner, margins, spacing);
}

QHBoxLayout* Row(QWidget* owner, QMargins margins, int spacing) {
    return MakeBox<QHBoxLayout>(owner, margins, spacing);
}

void AddAll(QBoxLayout* layout, std::initializer_list<QWidget*> items) {
    for (QWidget* w : items) layout->addWidget(w);
}

}  // namespace widgets

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widget_factory.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace widgets {

QString WindowFontFamily(const QStringList& installed) {
    for (const char* family : {"Calibri", "Carlito"})
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    return "Calibri";
}

void SetPixelFont(QWidget* w, int pixels, bool bold) {
    QFont f = w->font();
    f.setPixelSize(pixels);
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

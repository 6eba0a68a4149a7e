// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/lang_client.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>
#include <unordered_map>

namespace {

constexpr const char* kNoTransProperty = "langNoTrans";

bool HasLetter(const QString& text) {
    for (const QChar c : text)
        if (c.isLetter()) return true;
    return false;
}

// The window a control belongs to: the control itself when it is one.
QWidget* OwnerWindow(QObject* o) {
    if (auto* w = qobject_cast<QWidget*>(o)) return w->window();
    for (QObject* p = o->parent(); p; p = p->parent())
        if (auto* w = qobject_cast<QWidget*>(p)) return w->window();
    return nullptr;
}

struct TAccess {
    int property;
    std::optional<int> item;
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

// Keeps a custom text typed into an editable combo while its items change.
void SetComboItem(QComboBox* c, int i, const QString& text) {
    const bool typed = c->isEditable() && c->currentText() != c->itemText(c->currentIndex());
    const QString edit = c->currentText();
    c->setItemText(i, text);
    if (typed) c->setEditText(edit);
}

std::vector<TAccess> Properties(QObject* o) {
    using namespace i18n;
    std::vector<TAccess> out;
    auto add = [&out](int id, auto get, auto set, std::optional<int> item = std::nullopt) {
        out.push_back({id, item, get, set});
    };
    if (auto* w = qobject_cast<QWidget*>(o)) {
        if (w->isWindow())
            add(
                kWindowTitle, [w] { return w->windowTitle(); },
                [w](const QString& t) { w->setWindowTitle(t); });
        add(
            kHint, [w] { return w->toolTip(); }, [w](const QString& t) { w->setToolTip(t); });
    }
    if (auto* l = qobject_cast<QLabel*>(o)) {
        add(
            kCaption, [l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        add(
            kCaption, [b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        add(
            kCaption, [g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
    } else if (auto* m = qobject_cast<QMenu*>(o)) {
        add(
            kCaption, [m] { return m->title(); }, [m](const QString& t) { m->setTitle(t); });
    } else if (auto* a = qobject_cast<QAction*>(o)) {
        add(
            kCaption, [a] { return a->text(); }, [a](const QString& t) { a->setText(t); });
        add(
            kHint, [a] { return a->toolTip(); }, [a](const QString& t) { a->setToolTip(t); });
    } else if (auto* e = qobject_cast<QLineEdit*>(o)) {
        add(
            kText, [e] { return e->text(); }, [e](const QString& t) { e->setText(t); });
        add(
            kPlaceholder, [e] { return e->placeholderText(); },
            [e](const QString& t) { e->setPlaceholderText(t); });
    } else if (auto* c = qobject_cast<QComboBox*>(o)) {
        for (int i = 0; i < c->count(); ++i)
            add(
                kItems, [c, i] { return i < c->count() ? c->itemText(i) : QString(); },
                [c, i](const QString& t) {
                    if (i < c->count()) SetComboItem(c, i, t);
                },
                i);
        add(
            kPlaceholder, [c] { return c->placeholderText(); },
            [c](const QString& t) { c->setPlaceholderText(t); });
    } else if (auto* list = qobject_cast<QListWidget*>(o)) {
        for (int i = 0; i < list->count(); ++i)
            add(
                kItems, [list, i] { return i < list->count() ? list->item(i)->text() : QString(); },
                [list, i](const QString& t) {
                    if (i < list->count()) list->item(i)->setText(t);
                },
                i);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
        for (int i = 0; i < tabs->count(); ++i)
            add(
                kItems, [tabs, i] { return tabs->tabText(i); },
                [tabs, i](const QString& t) { tabs->setTabText(i, t); }, i);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(o)) {
        add(
            kPlaceholder, [p] { return p->placeholderText(); },
            [p](const QString& t) { p->setPlaceholderText(t); });
    } else if (auto* te = qobject_cast<QTextEdit*>(o)) {
        add(
            kPlaceholder, [te] { return te->placeholderText(); },
            [te](const QString& t) { te->setPlaceholderText(t); });
    }
    if (auto* s = qobject_cast<QSpinBox*>(o)) {
        add(
            kPrefix, [s] { return s->prefix(); }, [s](const QString& t) { s->setPrefix(t); });
        add(
            kSuffix, [s] { return s->suffix(); }, [s](const QString& t) { s->setSuffix(t); });
    } else if (auto* d = qobject_cast<QDoubleSpinBox*>(o)) {
        add(
            kPrefix, [d] { return d->prefix(); }, [d](const QString& t) { d->setPrefix(t); });
        add(
            kSuffix, [d] { return d->suffix(); }, [d](const QString& t) { d->setSuffix(t); });
    }
    if (auto* sb = qobject_cast<QAbstractSpinBox*>(o))
        add(
            kSpecialValue, [sb] { return sb->specialValueText(); },
            [sb](const QString& t) { sb->setSpecialValueText(t); });
    return out;
}

bool Translatable(const QObject* o) {
    const QString name = o->objectName();
    return !name.isEmpty() && !name.startsWith("qt_") && !o->property(kNoTransProperty).toBool();
}

}  // namespace

TLangManClient::TLangManClient(QWidget* root) : root_(root) {}

void TLangManClient::MarkNotTranslatable(QObject* control) {
    control->setProperty(kNoTransProperty, true);
}

void TLangManClient::Capture() {
    slots_.clear();
    known_.clear();
    Discover();
}

void TLangManClient::Discover() {
    QList<QObject*> objects{root_};
    objects += root_->findChildren<QObject*>();
    for (QObject* o : objects) {
        if (auto it = known_.find(o); it != known_.end() && it->second) continue;
        known_[o] = o;
        if (!Translatable(o)) continue;
        const QWidget* owner = OwnerWindow(o);
        if (!owner || owner->objectName().isEmpty()) continue;
        for (TAccess& a : Properties(o)) {
            const QString design = a.get();
            if (!HasLetter(design)) continue;
            TSlot slot{o,
                       {a.property, o->objectName().toStdString(),
                        owner->objectName().toStdString(), a.item},
                       design,
                       design,
                       std::move(a.get),
                       std::move(a.set)};
            slots_.push_back(std::move(slot));
        }
    }
}

void TLangManClient::SetHiddenPartsBuilder(std::function<void()> build) {
    buildHiddenParts_ = std::move(build);
}

std::vector<i18n::TDesignProperty> TLangManClient::DesignProperties() {
    if (buildHiddenParts_) buildHiddenParts_();
    Discover();
    // Controls found after the first look sit in the tree among the others.
    std::unordered_map<const QObject*, qsizetype> place;
    const QList<QObject*> tree = root_->findChildren<QObject*>();
    place[root_] = -1;
    for (qsizetype i = 0; i < tree.size(); ++i) place.emplace(tree[i], i);
    std::vector<const TSlot*> ordered;
    for (const TSlot& s : slots_) ordered.push_back(&s);
    const auto placeOf = [&](const TSlot* s) {
        const auto it = place.find(s->object.data());
        return it == place.end() ? tree.size() : it->second;  // gone: last
    };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const TSlot* a, const TSlot* b) { return placeOf(a) < placeOf(b); });
    std::vector<i18n::TDesignProperty> out;
    for (const TSlot* s : ordered) out.push_back({s->key, s->design.toStdString()});
    return out;
}

void TLangManClient::Apply(const i18n::TTranslationTables& tables) {
    Discover();
    for (TSlot& s : slots_) {
        if (!s.object) continue;
        const auto translated = tables.Property(s.key);
        const QString text = translated ? QString::fromStdString(*translated) : s.design;
        if (s.get() == s.shown) s.set(text);
        s.shown = text;
    }
}

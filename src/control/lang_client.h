// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "i18n/lang_catalog.h"
#include "i18n/lang_engine.h"

class QObject;
class QWidget;

// The window's side of the localization engine: finds every translatable
// property of the named controls under a root widget (captions, texts, item
// lists, hints, placeholder texts, window titles), remembers its design text,
// and puts a language's texts on it. Controls without a name, Qt's own inner
// parts ("qt_..."), texts without a letter and controls marked with
// MarkNotTranslatable are left alone.
class TLangManClient {
  public:
    explicit TLangManClient(QWidget* root);

    // Texts these controls get from code (lexicon items, user data) rather than
    // from the language file.
    static void MarkNotTranslatable(QObject* control);

    // Takes the texts the controls show now as their design texts. Controls
    // found later (windows built after start) are taken at the next Apply.
    void Capture();

    // Controls built only when first used are built by `build` before the
    // design texts are listed, so the list is complete.
    void SetHiddenPartsBuilder(std::function<void()> build);

    // The design texts, in the order of the widget tree.
    std::vector<i18n::TDesignProperty> DesignProperties();

    // Gives each property its translation, or its design text where the tables
    // have none. A property that code has changed since the last language was
    // put on it (a caption that shows a state) is left to that code.
    void Apply(const i18n::TTranslationTables& tables);

  private:
    struct TSlot {
        QPointer<QObject> object;
        i18n::TPropertyKey key;
        QString design;
        QString shown;  // what the last language gave it
        std::function<QString()> get;
        std::function<void(const QString&)> set;
    };

    // Adds the properties of controls not yet known.
    void Discover();

    QWidget* root_;
    std::function<void()> buildHiddenParts_;
    std::vector<TSlot> slots_;
    // Controls already looked at; a dead entry lets a new control at the same address in.
    std::map<const QObject*, QPointer<QObject>> known_;
};

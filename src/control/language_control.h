// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "control/lang_client.h"
#include "control/qt_translations.h"
#include "i18n/lang_engine.h"

class QComboBox;
class TForm1;

// Language switching for the window: the engine with the languages of the
// language folder, the client that puts their texts on the controls, and the
// chooser LangCombo1.
class LanguageControl : public QObject {
    Q_OBJECT

  public:
    // `languageFolder` may be empty or missing: only the design language is
    // offered then.
    LanguageControl(TForm1& form, const QString& languageFolder, QObject* parent);

    // Start-up choice (and every settings reload): changes the language when
    // `name` is listed and not current.
    void SetDefaultLanguage(const QString& name);

    // The user picked entry `index` of LangCombo1.
    void LangCombo1Change(int index);

    // Puts the current language on controls built since the last change (a
    // tool window opened later); controls already done are left as they are.
    void TranslateNewControls();

    // The selections that a translation of the item lists must not lose.
    void StoreComboSelections();
    void RestoreComboSelections();

    i18n::TLangManEngine& Engine() { return engine_; }
    TLangManClient& Client() { return client_; }

  private:
    // The combos in the order their selections are stored (CBox31 twice).
    std::array<QComboBox*, 12> StoredCombos() const;

    TForm1& form_;
    i18n::TLangManEngine engine_;
    TLangManClient client_;
    QtTranslations qt_;
    std::array<int, 12> savedIndex_{};
    // Texts typed into editable boxes (not one of their items), by slot.
    std::array<std::optional<QString>, 12> savedText_{};
};

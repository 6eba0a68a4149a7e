// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/language_control.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "app/main.h"
#include "control/action_notes.h"

LanguageControl::LanguageControl(TForm1& form, const QString& languageFolder, QObject* parent)
    : QObject(parent), form_(form), client_(&form), qt_(this) {
    // These show lexicon items, language names or the user's data.
    for (QObject* o : std::initializer_list<QObject*>{
             form_.LangCombo1, form_.JvP8, form_.JvP1, form_.JvP11, form_.CBox6, form_.Memo1,
             form_.BStat, form_.LNote, form_.BJournal, form_.BSweep})
        TLangManClient::MarkNotTranslatable(o);
    client_.Capture();
    client_.SetHiddenPartsBuilder([this] { form_.BuildHiddenParts(); });
    if (!languageFolder.isEmpty())
        engine_.ListLanguages(std::filesystem::path(languageFolder.toStdU16String()));
    form_.LangCombo1->clear();
    for (const i18n::TLanguageEntry& e : engine_.Languages())
        form_.LangCombo1->addItem(QString::fromStdString(e.name));
    form_.LangCombo1->setCurrentIndex(engine_.CurrentIndex());

    i18n::TLangManEngine::Hooks hooks;
    hooks.ChangeLangQuery = [this](bool&) { form_.LangManChangeLangQuery(); };
    hooks.Apply = [this] {
        form_.lexicons.SetLanguage(engine_.Tables().lexicons);
        qt_.SetLanguage(engine_.Current().code);
        client_.Apply(engine_.Tables());
        form_.LangCombo1->setCurrentIndex(engine_.CurrentIndex());
    };
    hooks.ChangeLanguage = [this] { form_.LangManChangeLanguage(); };
    hooks.LoadFailed = [this](const i18n::TLanguageEntry& entry) {
        form_.LangCombo1->setCurrentIndex(engine_.CurrentIndex());
        form_.notes->Say(
            QString::fromStdString(form_.lexicons.Dlng.GetItem(i18n::lngtext::LoadFailed)) +
            QString::fromStdU16String(entry.file.filename().u16string()));
    };
    engine_.SetHooks(std::move(hooks));
    qt_.SetLanguage(engine_.Current().code);
    connect(form_.LangCombo1, &QComboBox::activated, this, &LanguageControl::LangCombo1Change);
}

void LanguageControl::SetDefaultLanguage(const QString& name) {
    engine_.SetLanguage(name.toStdString());
}

void LanguageControl::LangCombo1Change(int index) {
    const auto& languages = engine_.Languages();
    if (index < 0 || index >= static_cast<int>(languages.size())) return;
    if (languages[static_cast<std::size_t>(index)].name == engine_.Current().name) return;
    engine_.SetLanguage(languages[static_cast<std::size_t>(index)].name);
}

void LanguageControl::TranslateNewControls() {
    client_.Apply(engine_.Tables());
}

std::array<QComboBox*, 12> LanguageControl::StoredCombos() const {
    const TForm1& f = form_;
    return {f.CB1,   f.CBox51, f.CBox5,  f.CBox31, f.CBox11, f.CBox2,
            f.CBox6, f.CBox10, f.CBox31, f.CBox1,  f.CBox3,  f.CBox4};
}

void LanguageControl::StoreComboSelections() {
    const auto combos = StoredCombos();
    for (std::size_t i = 0; i < combos.size(); ++i) {
        QComboBox* c = combos[i];
        // An editable box keeps its meaning, not its text: a text that is one
        // of its items (a tolerance box's off item, say, put there by loading
        // a profile entry) is that item, whose text the new language changes;
        // any other text was typed and stays as typed.
        int index = c->currentIndex();
        std::optional<QString> typed;
        if (c->isEditable() && c->currentText() != c->itemText(index)) {
            const int item = c->findText(c->currentText(), Qt::MatchExactly);
            if (item >= 0)
                index = item;
            else
                typed = c->currentText();
        }
        savedIndex_[i] = index;
        savedText_[i] = typed;
    }
}

void LanguageControl::RestoreComboSelections() {
    const auto combos = StoredCombos();
    for (std::size_t slot : {8, 9, 10, 11, 7, 6, 5, 4, 3, 2, 1, 0}) {
        QComboBox* c = combos[slot];
        c->setCurrentIndex(savedIndex_[slot]);
        if (savedText_[slot])
            c->setEditText(*savedText_[slot]);
        else if (c->isEditable())
            c->setEditText(c->itemText(savedIndex_[slot]));
    }
}

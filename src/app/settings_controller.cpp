// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_controller.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <span>

#include "app/main.h"
#include "app/program_state.h"
#include "control/action_notes.h"
#include "settings/codepage.h"
#include "settings/load_settings.h"
#include "settings/names_file.h"

SettingsController::SettingsController(TForm1& form, TProgramState& state, SettingsStore store,
                                       Hooks hooks, QObject* parent)
    : QObject(parent),
      form_(form),
      state_(state),
      store_(std::move(store)),
      hooks_(std::move(hooks)) {
    QRadioButton* buttons[] = {form_.RB1, form_.RB2, form_.RB3, form_.RB4};
    for (int i = 0; i < 4; ++i)
        connect(buttons[i], &QRadioButton::clicked, this, [this, i] { RBClick(i); });
}

void SettingsController::Store(const settings::TFieldPatch& patch) {
    if (const std::optional<QString> why = store_.Write(patch)) ReportNotSaved(*why);
}

// Every later choice fails the same way; one line in the log is enough.
void SettingsController::ReportNotSaved(const QString& why) {
    qWarning("Cannot write %s: %s", qPrintable(store_.FilePath()), qPrintable(why));
    if (notSavedReported_) return;
    notSavedReported_ = true;
    QString line =
        QString::fromStdString(form_.lexicons.Dlink.GetItem(i18n::link::SettingsNotSaved)) + " " +
        QDir::toNativeSeparators(store_.FilePath());
    if (!why.isEmpty()) line += ": " + why;
    form_.notes->Say(line);
}

void SettingsController::SaveModel() {
    Store(settings::ModelPatch(static_cast<std::uint8_t>(form_.screen.State().Model)));
}

void SettingsController::SaveAutoConnect() {
    Store(settings::AutoConnectPatch(form_.CheckBox_connect_auto->isChecked()));
}

// 1.dat keeps 0 for Russian and 1 for English; another language is named
// beside it, so files added to the language folder later cannot move it.
void SettingsController::SaveLanguageIndex() {
    const int chosen = form_.LangCombo1->currentIndex();
    const std::string name = form_.LangCombo1->itemText(chosen).toStdString();
    const std::int32_t stored = settings::StoredLanguageIndex(name, chosen);
    Store(settings::LanguageIndexPatch(stored));
    settings::TNamesFile names = store_.ReadNames();
    const settings::TNamesFile before = names;
    names.languageIndex = stored > 1 ? std::optional<std::int32_t>(stored) : std::nullopt;
    names.language = stored > 1 ? name : std::string();
    if (names == before) return;
    if (const std::optional<QString> why = store_.WriteNames(names)) ReportNotSaved(*why);
}

// A path 1.dat cannot hold as it is (outside its code page, or too long) is
// stored there as none and kept whole beside it, so it is never read back as
// another path and the profile still opens at the next start.
void SettingsController::SaveLastProfilePath(const QString& path) {
    const std::string utf8 = path.toStdString();
    const bool fits = settings::PathFitsSettingsFile(utf8);
    Store(settings::LastProfilePathPatch(fits ? utf8 : std::string()));
    settings::TNamesFile names = store_.ReadNames();
    if (names.profilePath != (fits ? std::string() : utf8)) {
        names.profilePath = fits ? std::string() : utf8;
        if (const std::optional<QString> why = store_.WriteNames(names)) ReportNotSaved(*why);
    }
    if (!fits)
        form_.notes->Say(QString::fromStdString(
                             form_.lexicons.Dprof_names.GetItem(i18n::profnames::PathKeptBeside)) +
                         QDir::toNativeSeparators(store_.NamesPath()));
    SaveModel();
}

void SettingsController::RBClick(int model) {
    form_.screen.State().Model = static_cast<protocol::TMeterModel>(model);
    if (hooks_.RefreshModelLists) hooks_.RefreshModelLists();
    SaveModel();
}

bool SettingsController::LoadSettings() {
    if (!store_.EnsureFolder()) {
        ReportNotSaved();
        return false;
    }
    const bool exists = store_.Exists();
    const std::optional<QByteArray> file = exists ? store_.Read() : std::nullopt;
    // A file that is there but cannot be read restores nothing: reading it as
    // empty would reset the model and auto-connect the window already shows.
    if (exists && !file) return false;
    std::optional<std::span<const std::uint8_t>> bytes;
    if (file)
        bytes =
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(file->constData()),
                                          static_cast<std::size_t>(file->size()));
    const settings::TLoadSettingsPlan plan =
        settings::PlanLoadSettings(bytes, static_cast<std::uint8_t>(form_.screen.State().Model));
    if (plan.createEmptyFile) {
        if (!store_.CreateEmpty()) ReportNotSaved();
        return false;
    }

    QCheckBox* autoBox = form_.CheckBox_connect_auto;
    if (autoBox->isChecked() != plan.autoConnectChecked) {
        autoBox->setChecked(plan.autoConnectChecked);
        emit autoBox->clicked(plan.autoConnectChecked);  // its click handling runs
    }
    if (plan.model) form_.screen.State().Model = static_cast<protocol::TMeterModel>(*plan.model);
    if (plan.modelButton) {
        QRadioButton* buttons[] = {form_.RB1, form_.RB2, form_.RB3, form_.RB4};
        QRadioButton* rb = buttons[*plan.modelButton];
        if (!rb->isChecked()) {
            rb->setChecked(true);
            RBClick(*plan.modelButton);
        }
    }
    const settings::TNamesFile names = store_.ReadNames();
    std::vector<std::string> listed;
    for (int i = 0; i < form_.LangCombo1->count(); ++i)
        listed.push_back(form_.LangCombo1->itemText(i).toStdString());
    const QString language =
        QString::fromStdString(settings::RestoredLanguage(plan.languageIndex, names, listed));
    if (const int entry = form_.LangCombo1->findText(language, Qt::MatchExactly); entry >= 0)
        form_.LangCombo1->setCurrentIndex(entry);
    if (hooks_.SetDefaultLanguage) hooks_.SetDefaultLanguage(language);

    std::optional<std::string> path = plan.profilePath;
    if (!path && !names.profilePath.empty()) path = names.profilePath;
    if (!path) return false;
    return hooks_.OpenProfile && hooks_.OpenProfile(QString::fromStdString(*path));
}

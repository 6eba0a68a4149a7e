// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_controller.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <span>

#include "app/main.h"
#include "app/program_state.h"
#include "settings/codepage.h"
#include "settings/load_settings.h"

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
    form_.Memo1->appendPlainText(line);
}

void SettingsController::SaveModel() {
    Store(settings::ModelPatch(static_cast<std::uint8_t>(form_.screen.State().Model)));
}

void SettingsController::SaveAutoConnect() {
    Store(settings::AutoConnectPatch(form_.CheckBox_connect_auto->isChecked()));
}

void SettingsController::SaveLanguageIndex() {
    Store(settings::LanguageIndexPatch(form_.LangCombo1->currentIndex()));
}

void SettingsController::SaveLastProfilePath(const QString& path) {
    Store(settings::LastProfilePathPatch(path.toStdString()));
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
    QString language = QString::fromStdString(plan.defaultLanguage);
    if (plan.languageIndex >= 0 && plan.languageIndex < form_.LangCombo1->count()) {
        form_.LangCombo1->setCurrentIndex(plan.languageIndex);
        // The index names the chooser's entry: 1 is English while eng.lng is the
        // only file; with more files each keeps its own choice across the reload
        // that every profile change runs.
        if (plan.languageIndex > 0) language = form_.LangCombo1->itemText(plan.languageIndex);
    }
    if (hooks_.SetDefaultLanguage) hooks_.SetDefaultLanguage(language);

    if (!plan.profilePath) return false;
    return hooks_.OpenProfile && hooks_.OpenProfile(QString::fromStdString(*plan.profilePath));
}

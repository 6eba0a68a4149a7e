// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "app/settings_store.h"

class TForm1;
struct TProgramState;

// Restores and stores the window's remembered choices: auto-connect, model,
// language and the last profile.
class SettingsController : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void()> RefreshModelLists;
        // Makes the remembered profile the open one; true when it is.
        std::function<bool(const QString& path)> OpenProfile;
        std::function<void(const QString& language)> SetDefaultLanguage;
    };

    SettingsController(TForm1& form, TProgramState& state, SettingsStore store, Hooks hooks,
                       QObject* parent);

    bool LoadSettings();
    void SaveLastProfilePath(const QString& path);
    void SaveModel();
    void SaveAutoConnect();
    void SaveLanguageIndex();
    // Click handling of the model buttons RB1..RB4.
    void RBClick(int model);

    const SettingsStore& Store() const { return store_; }

  private:
    void Store(const settings::TFieldPatch& patch);
    void ReportNotSaved(const QString& why = {});

    TForm1& form_;
    TProgramState& state_;
    SettingsStore store_;
    Hooks hooks_;
    bool notSavedReported_ = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "profiles/profile_editor.h"
#include "profiles/profile_file.h"

class QEvent;
class TForm1;

// The open profile (.hex1): opening, creating, copying, the entry buttons,
// loading an entry into the editor and the meter, and the profile view of the
// log grid. Every operation reads the file again; nothing but the count, the
// path, the name and the chooser's names is kept between them.
//
// Changes that move entries or the count are written whole through QSaveFile,
// so a crash leaves the old or the new profile, never a half-shifted one. Only
// a rewrite of one existing entry is written in place.
class ProfileControl : public QObject {
    Q_OBJECT

  public:
    // Asks the user for a file; an empty text when cancelled. `save` chooses
    // the save dialog over the open dialog.
    using TFileChooser = std::function<QString(bool save)>;

    ProfileControl(TForm1& form, QObject* parent);

    bool OpenProfile(const QString& path);
    // False (with the reason in the connection log) when nothing was written.
    bool WriteProfileEntry(int n);
    void LoadProfileEntry(int n);
    // CBox6's list: the names of the open profile, with entry 1 chosen and
    // loaded; RefreshEntryNames only rereads the names (its entry count, or
    // none when the profile cannot be read).
    void FillEntryNames();
    std::optional<int> RefreshEntryNames();
    // Loads the entry SE2 names again, in the single-part mode.
    void ReloadShownEntry();
    void ShowProfileInGrid(int first);

    void BB1Click();
    void Button_AddClick();
    void Button_DELClick();
    void BB2Click();
    // `index`: the list item picked.
    void CBox6Click(int index);
    void CBox6DropDown();
    void SB1Click();
    void SB2Click();
    void SB3Click();
    void SB4Click();

    // The dialogs the buttons show; the window's own by default.
    void SetFileChooser(TFileChooser chooser) { chooser_ = std::move(chooser); }
    QString ChooseFile(bool save);

  private:
    profiles::TEditorState EditorState() const;
    std::optional<QByteArray> ReadProfileFile(const QString& path);
    // The open profile's bytes to read; none (and a line in the connection
    // log) when there is no open profile or it cannot be read or is damaged.
    // A profile cut short reads as its whole entries.
    std::optional<QByteArray> ReadOpenProfile();
    // The open profile's bytes to change: none for a profile cut short too.
    std::optional<QByteArray> ReadOpenProfileToEdit();
    // Remembers `path` and makes it the open profile, whatever the settings
    // file could store.
    void UseProfile(const QString& path);
    bool SaveWhole(const QString& path, const QByteArray& bytes);
    // The result of an entry operation: written and applied, or why not.
    bool ApplyEdit(const profiles::TEdit& edit, int n);
    void CountChanged(std::int32_t count);
    bool Multi() const;
    void Log(const QString& line);
    void Message(const QString& text);
    QString Text(int item) const;
    QString DamageText(profiles::TDamage damage) const;
    // `name` with ".hex1" added unless it ends in it already.
    static QString WithExtension(const QString& name);
    // Creates `path` holding the editor's state as its only entry.
    bool CreateProfile(const QString& path);

    TForm1& form_;
    TFileChooser chooser_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "settings/names_file.h"
#include "settings/settings_file.h"

// 1.dat on disk. Writers change one field and store the whole record at once;
// only loading creates the file.
class SettingsStore {
  public:
    explicit SettingsStore(QString folder = DefaultFolder());

    // C:\Users\Public\Documents\ZAZ_Aduz on Windows, ZAZ_Aduz under the generic
    // data location elsewhere.
    static QString DefaultFolder();

    const QString& Folder() const { return folder_; }
    QString FilePath() const;

    bool EnsureFolder() const;
    bool Exists() const;
    std::optional<QByteArray> Read() const;  // none when the file is missing or unreadable
    bool CreateEmpty() const;
    // The reason when the file is missing or cannot be written whole; the old
    // file is kept as it was then.
    std::optional<QString> Write(const settings::TFieldPatch& patch) const;

    // names.txt beside 1.dat (see settings/names_file.h): empty when missing.
    QString NamesPath() const;
    settings::TNamesFile ReadNames() const;
    // Replaces the whole file at once; why not, when it could not be written.
    std::optional<QString> WriteNames(const settings::TNamesFile& names) const;

  private:
    QString folder_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "files/whole_file.h"

SettingsStore::SettingsStore(QString folder) : folder_(std::move(folder)) {}

QString SettingsStore::DefaultFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Users/Public/Documents/ZAZ_Aduz");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ZAZ_Aduz";
#endif
}

QString SettingsStore::FilePath() const {
    return folder_ + "/1.dat";
}

bool SettingsStore::EnsureFolder() const {
    return QDir().mkpath(folder_);
}

bool SettingsStore::Exists() const {
    return QFile::exists(FilePath());
}

std::optional<QByteArray> SettingsStore::Read() const {
    QFile f(FilePath());
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.read(static_cast<qint64>(settings::kSettingsFileSize));
}

bool SettingsStore::CreateEmpty() const {
    QFile f(FilePath());
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

std::optional<QString> SettingsStore::Write(const settings::TFieldPatch& patch) const {
    QFile current(FilePath());
    if (!current.exists()) return QStringLiteral("the file is missing");
    if (!current.open(QIODevice::ReadOnly)) return current.errorString();
    const QByteArray old = current.readAll();
    current.close();
    const settings::Bytes record =
        settings::RecordWithPatch(std::span(reinterpret_cast<const std::uint8_t*>(old.constData()),
                                            static_cast<std::size_t>(old.size())),
                                  patch);
    return files::SaveWholeFile(FilePath(), QByteArray(reinterpret_cast<const char*>(record.data()),
                                                       static_cast<qsizetype>(record.size())));
}

QString SettingsStore::NamesPath() const {
    return folder_ + "/" + settings::kNamesFileName;
}

settings::TNamesFile SettingsStore::ReadNames() const {
    QFile f(NamesPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    constexpr qint64 kFarBeyondAnyNames = 64 * 1024;
    return settings::ReadNamesFile(f.read(kFarBeyondAnyNames).toStdString());
}

std::optional<QString> SettingsStore::WriteNames(const settings::TNamesFile& names) const {
    return files::SaveWholeFile(NamesPath(),
                                QByteArray::fromStdString(settings::WriteNamesFile(names)));
}

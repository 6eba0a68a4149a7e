#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

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

bool SettingsStore::Write(const settings::TFieldPatch& patch) const {
    QFile current(FilePath());
    if (!current.exists() || !current.open(QIODevice::ReadOnly)) return false;
    const QByteArray old = current.readAll();
    current.close();
    const settings::Bytes record =
        settings::RecordWithPatch(std::span(reinterpret_cast<const std::uint8_t*>(old.constData()),
                                            static_cast<std::size_t>(old.size())),
                                  patch);
    // Written aside and renamed over the old file: a crash leaves one or the other.
    QSaveFile f(FilePath());
    if (!f.open(QIODevice::WriteOnly)) return false;
    const auto size = static_cast<qint64>(record.size());
    if (f.write(reinterpret_cast<const char*>(record.data()), size) != size) return false;
    return f.commit();
}

#include "app/settings_store.h"

#include <QDir>
#include <QFile>
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
    QFile f(FilePath());
    if (!f.exists() || !f.open(QIODevice::ReadWrite)) return false;
    // A file shorter than the field's offset grows with zero bytes, as the codec expects.
    if (f.size() < static_cast<qint64>(patch.offset) &&
        !f.resize(static_cast<qint64>(patch.offset)))
        return false;
    if (!f.seek(static_cast<qint64>(patch.offset))) return false;
    const auto size = static_cast<qint64>(patch.bytes.size());
    return f.write(reinterpret_cast<const char*>(patch.bytes.data()), size) == size;
}

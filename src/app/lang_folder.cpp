// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lang_folder.h"

#include <QDir>
#include <QFileInfo>

#include "build_info.h"
#include "i18n/lang_folders.h"

QStringList LanguageFolderCandidates(const QString& programDir, const QString& currentDir) {
    QStringList out;
    for (const auto& dir : i18n::LanguageFolderCandidates(
             programDir.toStdString(), currentDir.toStdString(), RLC_DATA_FROM_BIN))
        out << QDir::cleanPath(QString::fromStdString(dir.string()));
    return out;
}

QString FindLanguageFolder(const QString& programDir, const QString& currentDir) {
    for (const QString& dir : LanguageFolderCandidates(programDir, currentDir))
        if (QFileInfo(dir + "/eng.lng").isFile()) return dir;
    return {};
}

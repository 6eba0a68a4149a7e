#include "app/lang_folder.h"

#include <QDir>
#include <QFileInfo>

#include "build_info.h"

QStringList LanguageFolderCandidates(const QString& programDir, const QString& currentDir) {
    const QDir program(programDir);
    return {QDir::cleanPath(program.filePath("lang")), QDir::cleanPath(currentDir + "/lang"),
            QDir::cleanPath(program.filePath(RLC_DATA_FROM_BIN "/lang"))};
}

QString FindLanguageFolder(const QString& programDir, const QString& currentDir) {
    for (const QString& dir : LanguageFolderCandidates(programDir, currentDir))
        if (QFileInfo(dir + "/eng.lng").isFile()) return dir;
    return {};
}

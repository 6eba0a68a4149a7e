// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/whole_file.h"

#include <QFileDevice>
#include <QSaveFile>

namespace files {

std::optional<QString> WriteAllFlushed(QFileDevice& out, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return out.errorString();
        done += static_cast<qsizetype>(n);
    }
    if (!out.flush() || out.error() != QFileDevice::NoError) return out.errorString();
    return std::nullopt;
}

std::optional<QString> SaveWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    // QSaveFile's commit does not see a failed flush of its own buffer and
    // would rename the short file over the old one: the flush is ours.
    if (auto failure = WriteAllFlushed(file, bytes)) {
        file.cancelWriting();
        return failure;
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace files

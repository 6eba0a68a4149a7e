// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/instance_lock.h"

#include <QDir>

QString InstanceLockPath(const QString& settingsFolder) {
    return settingsFolder + "/rlc-logger.lock";
}

TInstanceLock TakeInstanceLock(const QString& settingsFolder) {
    TInstanceLock result;
    QDir().mkpath(settingsFolder);
    auto lock = std::make_unique<QLockFile>(InstanceLockPath(settingsFolder));
    // Only a dead owner makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(50)) {
        result.lock = std::move(lock);
        return result;
    }
    switch (lock->error()) {
        case QLockFile::LockFailedError:
            result.heldByAnother = true;
            break;
        case QLockFile::PermissionError:
            result.error = QStringLiteral("no permission to create ") + lock->fileName();
            break;
        default:
            result.error = QStringLiteral("cannot create ") + lock->fileName();
            break;
    }
    return result;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One window per settings folder: a lock file beside 1.dat, held while the
// window runs. The lock of a copy that died (crash, kill -9, power cut) is
// taken over, whatever its age; a running copy's lock never goes stale.
struct TInstanceLock {
    std::unique_ptr<QLockFile> lock;  // held on success
    bool heldByAnother = false;       // another running copy has the folder
    QString error;                    // why there is no lock when no one else has it
};

QString InstanceLockPath(const QString& settingsFolder);
TInstanceLock TakeInstanceLock(const QString& settingsFolder);

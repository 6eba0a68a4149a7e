// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QFileDevice;

// Files that are rewritten as a whole. A full disk must never leave an empty
// or torn file where a good one was: every write, the flush and the commit are
// checked, and the old file stays until the new one is complete.
namespace files {

// Writes all of `bytes` to `out` and flushes them out of Qt's buffer; the
// device's reason when any part fails. A buffered write that "succeeds" can
// still fail at the flush, so both are checked.
std::optional<QString> WriteAllFlushed(QFileDevice& out, const QByteArray& bytes);

// Replaces the file at `path` by `bytes`: written aside, checked, synced and
// only then renamed over the old file, which is kept unchanged on any failure.
// A symbolic link is written through to its target. None on success,
// otherwise the reason.
std::optional<QString> SaveWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace files

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The folders that may hold the language files, in the order they are tried:
// "lang" beside the program (a build folder), "lang" under the current
// folder, and the data folder of an installed program found relative to it.
QStringList LanguageFolderCandidates(const QString& programDir, const QString& currentDir);

// The first of them that holds eng.lng; empty when none does.
QString FindLanguageFolder(const QString& programDir, const QString& currentDir);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <chrono>

class TForm1;

// --self-test: once the window shows a reading from a connected meter, print
// the language file and the reading and quit with status 0; quit with status 1
// when none has come within `limit`. Checks an installation end to end.
void StartSelfTest(TForm1& form, const QString& languageFile, std::chrono::milliseconds limit);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The window toolkit takes options of its own from the command line
// (-platform NAME, -style=NAME, -reverse, ...). Without them the rest can be
// checked before the toolkit starts, which needs a display.
QStringList WithoutToolkitOptions(const QStringList& arguments);

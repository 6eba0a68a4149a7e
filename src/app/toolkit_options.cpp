// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolkit_options.h"

#include <QString>
#include <array>

namespace {

// Options the toolkit reads before the program sees its arguments: those that
// take the next argument as their value, and switches.
constexpr std::array kWithValue = {"platform",
                                   "platformpluginpath",
                                   "platformtheme",
                                   "plugin",
                                   "qwindowgeometry",
                                   "qwindowicon",
                                   "qwindowtitle",
                                   "session",
                                   "display",
                                   "geometry",
                                   "title",
                                   "name",
                                   "visual",
                                   "ncols",
                                   "cmap",
                                   "im",
                                   "style",
                                   "stylesheet",
                                   "qmljsdebugger",
                                   "fontengine",
                                   "dialogs"};
constexpr std::array kSwitches = {"reverse", "widgetcount", "nograb", "dograb", "sync", "qdevel"};

template <std::size_t N>
bool Among(const std::array<const char*, N>& names, const QString& name) {
    for (const char* n : names)
        if (name == QLatin1String(n)) return true;
    return false;
}

}  // namespace

QStringList WithoutToolkitOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--") {  // everything after it is the program's
            kept << arguments.mid(i);
            break;
        }
        // The program's own name and plain values are never the toolkit's.
        if (i == 0 || !arg.startsWith('-') || arg == "-") {
            kept << arg;
            continue;
        }
        const QString body = arg.mid(arg.startsWith("--") ? 2 : 1);
        const qsizetype eq = body.indexOf('=');
        const QString name = eq < 0 ? body : body.left(eq);
        if (eq < 0 && Among(kSwitches, name)) continue;
        if (Among(kWithValue, name)) {
            if (eq < 0) ++i;  // its value is the next argument
            continue;
        }
        kept << arg;
    }
    return kept;
}

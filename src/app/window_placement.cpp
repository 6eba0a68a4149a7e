// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_placement.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "files/whole_file.h"
#include "settings/window_place.h"

namespace {

settings::TRect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

WindowPlacement::WindowPlacement(QWidget& window, QString folder)
    : window_(window), folder_(std::move(folder)) {}

QString WindowPlacement::FilePath() const {
    return folder_ + "/" + settings::kWindowPlaceFileName;
}

bool WindowPlacement::Restore() {
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) return false;
    constexpr qint64 kFarBeyondAPlace = 4096;
    const std::optional<settings::TWindowPlace> place =
        settings::ReadWindowPlace(file.read(kFarBeyondAPlace).toStdString());
    if (!place) return false;
    std::vector<settings::TRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screens.push_back(ToRect(primary->availableGeometry()));
    for (const QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            screens.push_back(ToRect(s->availableGeometry()));
    const settings::TRect r = settings::PlaceOnScreens(
        place->geometry, screens, window_.minimumWidth(), window_.minimumHeight());
    window_.setGeometry(r.x, r.y, r.width, r.height);
    if (place->maximized) window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    return true;
}

std::optional<QString> WindowPlacement::Save() const {
    settings::TWindowPlace place;
    place.maximized = window_.isMaximized();
    place.geometry = ToRect(place.maximized ? window_.normalGeometry() : window_.geometry());
    return files::SaveWholeFile(FilePath(),
                                QByteArray::fromStdString(settings::WriteWindowPlace(place)));
}

QIcon ProgramIcon() {
    QIcon icon(":/icons/rlc-logger.svg");
    // Without the SVG icon engine the icon draws nothing.
    if (icon.pixmap(QSize(64, 64)).isNull()) return {};
    return icon;
}

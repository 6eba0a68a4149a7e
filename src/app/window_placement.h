// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>
#include <optional>

class QWidget;

// Where the main window was when it closed, kept in window.txt beside 1.dat
// (see settings/window_place.h), and put back at the next start.
class WindowPlacement {
  public:
    WindowPlacement(QWidget& window, QString folder);

    QString FilePath() const;
    // Puts the window where the file says, made fit for today's screens;
    // false when there is no usable file (the window stays where it is).
    bool Restore();
    // Why not, when the file could not be written.
    std::optional<QString> Save() const;

  private:
    QWidget& window_;
    QString folder_;
};

// The program's icon from the shipped drawing; empty where Qt cannot draw
// SVG (its icon engine is a separate package), so the window has none.
QIcon ProgramIcon();

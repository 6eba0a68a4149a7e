// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QStringList>
#include <initializer_list>

class QBoxLayout;
class QFont;
class QComboBox;
class QHBoxLayout;
class QVBoxLayout;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Small constructors that give each control its name, parent and font in one line.
namespace widgets {

// The window's typeface, given the families installed. The window is laid
// out for Calibri; where that is missing, its metric-compatible stand-in is
// named outright. The font system would pick the same face, but only after a
// fresh search for a substitute at every size and script the window uses.
// With neither, the desktop's own font (`fallback`): the font system's
// stand-in for a missing Calibri may be anything, a serif or a maths font.
QString WindowFontFamily(const QStringList& installed, const QString& fallback);

// Property of a window: the factor its design font sizes are drawn at.
inline constexpr char kFontScale[] = "fontScale";
// How much smaller than designed texts in `font` must be drawn to take the
// room the design's font (Carlito) takes: 1 for it and any font no wider,
// never below 0.7.
double DesignScale(const QFont& font);
// A design font size as drawn in `w`'s window.
int ScaledPixels(const QWidget* w, int pixels);
// Sets the font size, as scaled for the window.
void SetPixelFont(QWidget* w, int pixels, bool bold = true);
QFrame* Frame(QWidget* parent, const char* name);
QLabel* Label(QWidget* parent, const char* name, const QString& text, int fontPixels = 0);
// A speed button; `toggle` buttons stay down until pressed again.
QPushButton* Button(QWidget* parent, const char* name, const QString& text, int w, int h,
                    bool toggle = false);
QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items, bool editable);
// The same for a combo box of a class of its own.
void SetUpCombo(QComboBox* c, const char* name, const QStringList& items, bool editable);

// Box layouts that own `owner`'s area (or none, to be nested), with their
// margins and spacing set in one go.
QVBoxLayout* Column(QWidget* owner, QMargins margins = {}, int spacing = 0);
QHBoxLayout* Row(QWidget* owner, QMargins margins = {}, int spacing = 0);
void AddAll(QBoxLayout* layout, std::initializer_list<QWidget*> items);

}  // namespace widgets

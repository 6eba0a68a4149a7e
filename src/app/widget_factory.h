// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QStringList>
#include <initializer_list>

class QBoxLayout;
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
QString WindowFontFamily(const QStringList& installed);
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

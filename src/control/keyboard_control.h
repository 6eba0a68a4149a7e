// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>

class QAction;
class QEvent;
class QPushButton;
class QWidget;
class TForm1;

// What keys may do in the window, as a pure rule.
namespace keys {

// How the control that has the keyboard focus takes keys.
enum class TFocus {
    TextBox,        // text is typed into it: a space is a character
    LogWipingList,  // a list whose choice empties the log (recording mode, language)
    Other,
};

struct TKeyUse {
    bool record = false;   // the space key records a row (if recording allows it)
    bool swallow = false;  // the key goes no further
};

// `printable`: the key types a character. A space records wherever it does not
// type, and never opens a list or ticks a box on the way; one press gives one
// row, so a held key's repeats record nothing. A list whose choice empties the
// log changes only through its open list: keys that would step or search it
// while closed do nothing.
TKeyUse KeyUse(int key, Qt::KeyboardModifiers modifiers, bool printable, bool autoRepeat,
               TFocus focus);

}  // namespace keys

// The window's keyboard: the space key's recording, the lists that a stray key
// must not change, and the shortcuts of the start/stop, connect, export and
// clear buttons (shown in their tooltips). The buttons themselves take no focus.
// No key a text box uses for editing empties the log (Ctrl+Del deletes a word
// there, and would reach a window shortcut as well).
class KeyboardControl : public QObject {
    Q_OBJECT

  public:
    KeyboardControl(TForm1& form, QObject* parent);

    // Tooltips in the current language.
    void ApplyTexts();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    keys::TFocus FocusOf(const QWidget* w) const;
    bool LogWipingList(const QObject* o) const;

    struct TShortcut {
        QPushButton* button;
        QAction* action;
        int hintItem;  // lexicon Dkeys
    };

    TForm1& form_;
    std::array<TShortcut, 4> shortcuts_;
};

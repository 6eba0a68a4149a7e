// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include "i18n/lexicon.h"

class QAction;
class QDialog;
class QMessageBox;
class QTextBrowser;
class TForm1;

// The About box's text: the lexicon's template with the version, the licence
// and the project's address put in.
QString AboutText(const i18n::TLexicons& lexicons);

// F1 opens a short help (how to connect, record, sort, export, the keys) with
// a button for the About box. Both take their texts from the current language
// each time they open, and again on a language change.
class HelpControl : public QObject {
    Q_OBJECT

  public:
    HelpControl(TForm1& form, QObject* parent);

    void ShowHelp();
    void ShowAbout();
    // Texts of whatever is open in the current language.
    void ApplyTexts();

    QAction* Shortcut() const { return shortcut_; }
    // Null until first opened.
    QDialog* HelpWindow() const { return help_; }
    QMessageBox* AboutBox() const { return about_; }

  private:
    void BuildHelp();

    TForm1& form_;
    QAction* shortcut_;
    QDialog* help_ = nullptr;
    QTextBrowser* text_ = nullptr;
    QMessageBox* about_ = nullptr;
};

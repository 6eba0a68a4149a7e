// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTranslator>
#include <string_view>

// Qt's own texts (file dialogs, standard buttons, edit menus) in the window's
// language, from the catalogues Qt ships (Debian: qt6-translations-l10n).
class QtTranslations : public QObject {
    Q_OBJECT

  public:
    // `folder`: where the catalogues are; empty for Qt's own folder.
    explicit QtTranslations(QObject* parent, QString folder = {});
    ~QtTranslations() override;

    // Follows a language file's code ("ru - Russian", "en", "de_AT"). A
    // language Qt has no catalogue for (English among them) gets Qt's English.
    // True when a catalogue was loaded.
    bool SetLanguage(std::string_view code);

    // The catalogue's language of a code: its leading letters, lower case,
    // with a region kept ("de_AT"); empty when the code starts otherwise.
    static QString LanguageOfCode(std::string_view code);

  private:
    QString folder_;
    QTranslator translator_;
    bool installed_ = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

QtTranslations::QtTranslations(QObject* parent, QString folder)
    : QObject(parent),
      folder_(folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                               : std::move(folder)) {}

QtTranslations::~QtTranslations() {
    if (installed_) QCoreApplication::removeTranslator(&translator_);
}

QString QtTranslations::LanguageOfCode(std::string_view code) {
    std::size_t n = 0;
    while (n < code.size() && IsLetter(code[n])) ++n;
    if (n < 2 || n > 3) return {};
    QString language = QString::fromLatin1(code.data(), static_cast<qsizetype>(n)).toLower();
    // A region after an underscore or a hyphen: "de_AT", "pt-BR".
    if (n + 3 <= code.size() && (code[n] == '_' || code[n] == '-') && IsLetter(code[n + 1]) &&
        IsLetter(code[n + 2]) && (n + 3 == code.size() || !IsLetter(code[n + 3])))
        language += "_" + QString::fromLatin1(code.data() + n + 1, 2).toUpper();
    return language;
}

bool QtTranslations::SetLanguage(std::string_view code) {
    if (installed_) QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
    const QString language = LanguageOfCode(code);
    if (language.isEmpty()) return false;
    // "qt_xx" gathers Qt's modules; "de_AT" falls back to "de" by itself.
    if (!translator_.load("qt_" + language, folder_) &&
        !translator_.load("qtbase_" + language, folder_))
        return false;
    installed_ = QCoreApplication::installTranslator(&translator_);
    return installed_;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/help_control.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/main.h"
#include "build_info.h"
#include "control/lang_client.h"

namespace {

QString Text(const i18n::TLexicons& lex, int item) {
    return QString::fromStdString(lex.Dhelp.GetItem(item));
}

}  // namespace

QString AboutText(const i18n::TLexicons& lexicons) {
    return Text(lexicons, i18n::help::About)
        .arg(QStringLiteral(RLC_VERSION), QStringLiteral(RLC_LICENSE),
             QStringLiteral(RLC_HOMEPAGE));
}

HelpControl::HelpControl(TForm1& form, QObject* parent)
    : QObject(parent), form_(form), shortcut_(new QAction(&form)) {
    shortcut_->setObjectName("ActionHelp");
    shortcut_->setShortcut(QKeySequence(Qt::Key_F1));
    shortcut_->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(shortcut_);
    connect(shortcut_, &QAction::triggered, this, [this] { ShowHelp(); });
}

void HelpControl::BuildHelp() {
    help_ = new QDialog(&form_);
    help_->setObjectName("HelpWindow");
    help_->resize(560, 480);
    auto* layout = new QVBoxLayout(help_);
    text_ = new QTextBrowser(help_);
    text_->setObjectName("HelpText");
    text_->setOpenExternalLinks(true);
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(help_);
    auto* about = buttons->addButton(QString(), QDialogButtonBox::HelpRole);
    about->setObjectName("HelpAbout");
    auto* close = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    close->setObjectName("HelpClose");
    layout->addWidget(buttons);
    // Their texts come from the help lexicon, not from the language's control texts.
    for (QObject* o : std::initializer_list<QObject*>{help_, text_, about, close})
        TLangManClient::MarkNotTranslatable(o);
    connect(about, &QPushButton::clicked, this, [this] { ShowAbout(); });
    connect(buttons, &QDialogButtonBox::rejected, help_, &QDialog::reject);
}

void HelpControl::ShowHelp() {
    if (!help_) BuildHelp();
    ApplyTexts();
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void HelpControl::ShowAbout() {
    if (!about_) {
        about_ = new QMessageBox(help_ ? static_cast<QWidget*>(help_) : &form_);
        about_->setObjectName("AboutBox");
        TLangManClient::MarkNotTranslatable(about_);
        about_->setTextFormat(Qt::RichText);
        about_->setIconPixmap(form_.windowIcon().pixmap(64, 64));
        about_->setStandardButtons(QMessageBox::Close);
        about_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    }
    ApplyTexts();
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void HelpControl::ApplyTexts() {
    const i18n::TLexicons& lex = form_.lexicons;
    if (help_) {
        help_->setWindowTitle(Text(lex, i18n::help::Title));
        text_->setHtml(Text(lex, i18n::help::Text));
        help_->findChild<QPushButton*>("HelpAbout")->setText(Text(lex, i18n::help::AboutTitle));
        help_->findChild<QPushButton*>("HelpClose")->setText(Text(lex, i18n::help::Close));
    }
    if (about_) {
        about_->setWindowTitle(Text(lex, i18n::help::AboutTitle));
        about_->setText(AboutText(lex));
        if (QAbstractButton* close = about_->button(QMessageBox::Close))
            close->setText(Text(lex, i18n::help::Close));
    }
}

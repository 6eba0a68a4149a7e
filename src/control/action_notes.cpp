// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/action_notes.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "app/main.h"

ActionNotes::ActionNotes(TForm1& form, QObject* parent) : QObject(parent), form_(form) {}

void ActionNotes::Say(const QString& line) {
    form_.Memo1->appendPlainText(line);
    form_.LNote->setText(line);
    form_.LNote->setToolTip(line);
    form_.LNote->show();
}

void ActionNotes::Withdraw(const QString& line) {
    if (line.isEmpty() || form_.LNote->text() != line) return;
    form_.LNote->clear();
    form_.LNote->setToolTip(QString());
    form_.LNote->hide();
}

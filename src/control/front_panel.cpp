// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/front_panel.h"

#include <QPushButton>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/recording_control.h"
#include "protocol/command.h"

FrontPanel::FrontPanel(TForm1& form, QObject* parent) : QObject(parent), form_(form) {
    // `clicked` comes from the user only; the frame decoder sets the toggles
    // without sending anything back.
    connect(form_.SP2, &QPushButton::clicked, this, &FrontPanel::SP2Click);
    connect(form_.SP3, &QPushButton::clicked, this, &FrontPanel::SP3Click);
    connect(form_.SP4, &QPushButton::clicked, this, &FrontPanel::SP4Click);
    connect(form_.SBe1, &QPushButton::clicked, this, &FrontPanel::SBe1Click);
    connect(form_.SP5, &QPushButton::clicked, this, &FrontPanel::SP5Click);
    connect(form_.Button1, &QPushButton::clicked, this, &FrontPanel::Button1Click);
    connect(form_.Button2, &QPushButton::clicked, this, &FrontPanel::Button2Click);
    connect(form_.Button3, &QPushButton::clicked, this, &FrontPanel::Button3Click);
}

void FrontPanel::SP2Click() {
    form_.state.DecodePaused = 1;
    form_.screen.Settings().Sound() = form_.SP2->isChecked() ? 1 : 0;
    form_.connection->Commands().BuildSettingsCommand();
}

void FrontPanel::SP3Click() {
    form_.state.DecodePaused = 1;
    const bool hold = form_.SP3->isChecked();
    form_.screen.Settings().Hold() = hold ? 1 : 0;
    // A held reading must not be recorded; releasing hold gives recording back
    // unless a profile is being edited.
    if (hold)
        form_.recording->AllowStart(false);
    else if (!form_.SB4->isChecked())
        form_.recording->AllowStart(true);
    form_.connection->Commands().BuildSettingsCommand();
}

void FrontPanel::SP4Click() {
    // The command takes the brightness bit from the button itself.
    form_.state.DecodePaused = 1;
    form_.connection->Commands().BuildSettingsCommand();
}

void FrontPanel::SBe1Click() {
    form_.state.DecodePaused = 1;
    protocol::ApplyDefaults(form_.screen.Settings(), form_.screen.State());
    form_.view.ShowSettings();
    form_.connection->Commands().BuildSettingsCommand();
}

void FrontPanel::SP5Click() {
    form_.connection->Commands().SendFunctionCommand(protocol::FnPowerOff);
}

void FrontPanel::Button1Click() {
    form_.connection->Commands().SendFunctionCommand(protocol::FnRd);
}

void FrontPanel::Button2Click() {
    form_.connection->Commands().SendFunctionCommand(protocol::FnRlcd);
}

void FrontPanel::Button3Click() {
    if (!protocol::UCommandAllowed(form_.screen.State().Model)) return;
    form_.connection->Commands().SendFunctionCommand(protocol::FnU);
}

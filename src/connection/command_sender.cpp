// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/command_sender.h"

#include <QPushButton>
#include <QTimer>

#include "app/enable_timer.h"
#include "app/main.h"
#include "app/program_state.h"
#include "connection/serial_link.h"
#include "link/ble_central.h"

CommandSender::CommandSender(TForm1& form, TProgramState& state, SerialAdapterLink& serial,
                             BleCentral& ble, QObject* parent)
    : QObject(parent), form_(form), state_(state), serial_(serial), ble_(ble) {
    connect(form_.Timer_TX, &QTimer::timeout, this, &CommandSender::Timer_TXTimer);
}

bool CommandSender::Sp4Down() const {
    return form_.SP4->isChecked();
}

bool CommandSender::BuildSettingsCommand() {
    const auto frame = protocol::BuildSettingsCommand(
        form_.screen.Settings(), Sp4Down(), state_.MeterConnected, form_.SB4->isChecked());
    if (!frame) return false;
    frame_ = *frame;
    SendCommand();
    return true;
}

void CommandSender::SendFunctionCommand(std::uint8_t code) {
    frame_ = protocol::BuildFunctionCommand(code, Sp4Down());
    SendCommand();
}

void CommandSender::SendCommand() {
    frame_[4] = protocol::kCommandTerminator;
    const protocol::TLinkKind link = protocol::CurrentLinkKind(state_.AdapterFound);
    const std::vector<std::uint8_t> bytes = protocol::CommandBytesForLink(frame_, link);
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    // The pause counts from the moment the command leaves: on the adapter it may
    // wait for its turn behind the previous write.
    if (link == protocol::TLinkKind::lkSerialAdapter) {
        serial_.Write(data, [this] { EnableTimer(form_.Timer_TX); });
    } else {
        EnableTimer(form_.Timer_TX);
        ble_.Write(data);  // dropped while no characteristic is known
    }
}

void CommandSender::Timer_TXTimer() {
    form_.Timer_TX->stop();
    // A command still waiting for its turn restarts the pause when it leaves.
    if (serial_.WritesWaiting()) return;
    state_.DecodePaused = 0;
}

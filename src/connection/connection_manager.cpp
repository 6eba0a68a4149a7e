// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/connection_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/enable_timer.h"
#include "app/main.h"
#include "app/program_state.h"
#include "connection/ble_link.h"
#include "connection/command_sender.h"
#include "control/recording_control.h"
#include "control/sweep_control.h"
#include "link/ble_central.h"

using namespace i18n::connect;

ConnectionManager::ConnectionManager(TForm1& form, TProgramState& state,
                                     std::unique_ptr<AdapterLocator> locator,
                                     std::unique_ptr<BleCentral> ble, Hooks hooks, QObject* parent)
    : QObject(parent),
      form_(form),
      state_(state),
      ble_(ble ? std::move(ble) : std::make_unique<NullBleCentral>()),
      hooks_(std::move(hooks)),
      serial_(new SerialAdapterLink(form, state, std::move(locator), *this, this)),
      commands_(new CommandSender(form, state, *serial_, *ble_, this)),
      bleLink_(new BleLink(form, state, *ble_, *this, this)) {
    ble_->Attach(*bleLink_);
    connect(form_.B2, &QPushButton::clicked, this, &ConnectionManager::B2Click);
    connect(form_.CheckBox_connect_auto, &QCheckBox::clicked, this,
            &ConnectionManager::CheckBox_connect_autoClick);
    connect(form_.T2, &QTimer::timeout, this, &ConnectionManager::T2Timer);
    connect(form_.T3, &QTimer::timeout, this, &ConnectionManager::T3Timer);
    connect(form_.T4, &QTimer::timeout, this, &ConnectionManager::T4Timer);
    connect(form_.T50, &QTimer::timeout, this, &ConnectionManager::T50Timer);
    connect(form_.T34, &QTimer::timeout, this, &ConnectionManager::T34Timer);
}

QString ConnectionManager::Item(int index) const {
    return QString::fromStdString(form_.lexicons.Dlang_connect.GetItem(index));
}

void ConnectionManager::Log(int connectItem) {
    form_.Memo1->appendPlainText(Item(connectItem));
}

bool ConnectionManager::ConnectCaptionShown() const {
    return form_.B2->text() == Item(Connect);
}

void ConnectionManager::StartBleDiscovery() {
    if (ble_->StartDiscovery(kDiscoveryTimeoutMs) == TDiscoveryStart::Started)
        state_.Scanning = true;
    else
        BleDiscoveryFailed(ble_->LastFailure());
}

// Whether the radio is missing, switched off, refused or merely unable to scan,
// retrying every watch tick would only repeat the same lines; and a connect
// button left blank and disabled would be a dead end.
void ConnectionManager::BleDiscoveryFailed(TBleFailure why) {
    using namespace i18n::ble;
    static constexpr int kReason[] = {NoRadio, RadioOff, PermissionRefused, Unsupported,
                                      DiscoveryFailed};
    Log(ScanFailed);
    form_.Memo1->appendPlainText(
        QString::fromStdString(form_.lexicons.Dble.GetItem(kReason[static_cast<int>(why)])));
    state_.Scanning = false;
    state_.UseDirectBle = false;
    radioGaveUp_ = true;
    if (state_.AdapterFound) {
        if (serial_->IsOpen()) form_.T3->stop();
        return;
    }
    // Nothing left to wait for: the button comes back at once, even under
    // auto-connect, and the watch goes on looking for an adapter.
    form_.B2->setText(Item(Connect));
    form_.B2->setEnabled(true);
    EnableTimer(form_.T3);
}

void ConnectionManager::BleMeterNotFound() {
    // Only a request the user made is waiting on the button.
    if (form_.B2->text() != " " || state_.MeterConnected || state_.AdapterFound) return;
    form_.Memo1->appendPlainText(
        QString::fromStdString(form_.lexicons.Dble.GetItem(i18n::ble::MeterNotFound)));
    form_.B2->setText(Item(Connect));
    EnableTimer(form_.T2);
}

void ConnectionManager::B2Click() {
    form_.B2->setEnabled(false);
    form_.SetDisplayColour(form_.Panel_RLCD, TForm1::kDisplayColour);
    if (ConnectCaptionShown()) {
        form_.B2->setText(" ");
        if (serial_->FindAdapterPort()) {
            serial_->SendConnect();
            state_.UseDirectBle = false;
            radioGaveUp_ = false;
        } else if (radioGaveUp_) {
            state_.UseDirectBle = true;  // the radio may be back: try it once more
        }
        if (state_.UseDirectBle) {
            ble_->SetEnabled(true);
            if (!state_.Scanning) StartBleDiscovery();
        }
        // No adapter and no radio: nothing will answer, so give the button back
        // instead of leaving it blank and disabled for good.
        if (!state_.UseDirectBle && !state_.AdapterFound) {
            form_.B2->setText(Item(Connect));
            EnableTimer(form_.T2);
            EnableTimer(form_.T3);
        }
        return;
    }
    form_.B2->setText(" ");
    if (!state_.BleLinkUp) {
        serial_->SendDrop();
        return;
    }
    if (state_.UseDirectBle) ble_->SetEnabled(false);
    ble_->Disconnect();
    // Switches the radio off too, even when the adapter was chosen since.
    bleLink_->BLEDisconnect();
}

void ConnectionManager::CheckBox_connect_autoClick() {
    form_.B2->setEnabled(!form_.CheckBox_connect_auto->isChecked());
    if (hooks_.SaveAutoConnect) hooks_.SaveAutoConnect();
}

void ConnectionManager::T2Timer() {
    if (!form_.CheckBox_connect_auto->isChecked()) form_.B2->setEnabled(true);
    form_.T2->stop();
}

void ConnectionManager::T3Timer() {
    const bool found = serial_->FindAdapterPort();
    const bool autoConnect = form_.CheckBox_connect_auto->isChecked();
    if (!found) {
        serial_->Close();
    } else {
        if (!serial_->IsOpen()) serial_->Open();
        if (autoConnect) {
            form_.B2->setEnabled(false);
            if (ConnectCaptionShown()) {
                serial_->SendConnect();
                state_.UseDirectBle = false;
                radioGaveUp_ = false;
            }
        }
    }
    if (state_.UseDirectBle) {
        ble_->SetEnabled(true);
        if (!state_.Scanning && autoConnect) StartBleDiscovery();
    }
}

void ConnectionManager::T4Timer() {
    form_.T4->stop();
    if (!state_.MeterConnected) return;  // the link went down within the second
    EnableTimer(form_.T34);
    state_.DecodePaused = 1;
    form_.LangCombo1->hide();
    form_.SP5->show();
    EnableTimer(form_.T50);
    commands_->SendFunctionCommand(protocol::FnWake);
}

void ConnectionManager::T50Timer() {
    form_.T50->stop();
    form_.Memo1->hide();
    form_.L_righ5->show();
    form_.L_righ6->show();
}

void ConnectionManager::T34Timer() {
    // A wake command without a link would only run into the next "AT+CONNL".
    if (!state_.MeterConnected) {
        form_.T34->stop();
        return;
    }
    commands_->SendFunctionCommand(protocol::FnWake);
}

void ConnectionManager::EnterConnectedState() {
    state_.MeterConnected = true;
    form_.recording->AllowStart(true);
    EnableTimer(form_.T2);
    form_.T3->stop();
    form_.B2->setText(Item(Disconnect));
    Log(Connected);
    form_.SB4->setChecked(false);
    form_.DisableModelChooserClick();
    form_.Button_Add->setEnabled(false);
    form_.Button_DEL->setEnabled(false);
    form_.BB1->setEnabled(false);
    EnableTimer(form_.T4);
}

void ConnectionManager::EnterDisconnectedState() {
    form_.sweep->LinkLost();
    form_.Memo1->show();
    form_.L_righ5->hide();
    form_.L_righ6->hide();
    form_.T50->stop();
    // No wake command goes out without a link.
    form_.T4->stop();
    form_.T34->stop();
    form_.LangCombo1->show();
    form_.SP5->hide();
    state_.MeterConnected = false;
    form_.SB4->setChecked(true);
    form_.recording->AllowStart(false);
    EnableTimer(form_.T2);
    form_.B2->setText(Item(Connect));
    Log(Disconnected);
    EnableTimer(form_.T3);
    form_.view.ClearReadings({"L_prim_n", "L_sec_n", "L_righ1", "L_righ2", "L_righ3", "L_righ4"});
    form_.Button_Add->setEnabled(true);
    form_.Button_DEL->setEnabled(true);
    form_.BB1->setEnabled(true);
}

void ConnectionManager::ConnectRequestEnded() {
    // A request under way shows a blank caption; with it gone a click would
    // only drop a link that never came up, and auto-connect would never retry.
    if (form_.B2->text() == " ") form_.B2->setText(Item(Connect));
    EnableTimer(form_.T2);
}

void ConnectionManager::DecodeMeasurementFrame(std::span<const std::uint8_t> frame) {
    if (hooks_.DecodeMeasurementFrame) hooks_.DecodeMeasurementFrame(frame);
}

void ConnectionManager::FormCloseQuery() {
    form_.T2->stop();
    form_.T3->stop();
    form_.P5->setEnabled(false);
    if (state_.UseDirectBle) ble_->SetEnabled(false);
}

void ConnectionManager::CloseLinks() {
    serial_->Close();
}

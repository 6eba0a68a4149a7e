// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <cstdint>

#include "protocol/command.h"

class BleCentral;
class SerialAdapterLink;
class TForm1;
struct TProgramState;

// The one road of every command to the meter: settings record or function code,
// onto the adapter when it is present, else onto Bluetooth LE. Each send pauses
// frame decoding for 50 ms so the meter's next report cannot undo the change.
class CommandSender : public QObject {
    Q_OBJECT

  public:
    CommandSender(TForm1& form, TProgramState& state, SerialAdapterLink& serial, BleCentral& ble,
                  QObject* parent);

    // True when the record went to the meter (not suppressed).
    bool BuildSettingsCommand();
    void SendFunctionCommand(std::uint8_t code);
    void Timer_TXTimer();

    // The last frame put on a link (the program-wide command buffer).
    const protocol::TCommandFrame& LastFrame() const { return frame_; }

  private:
    void SendCommand();
    bool Sp4Down() const;

    TForm1& form_;
    TProgramState& state_;
    SerialAdapterLink& serial_;
    BleCentral& ble_;
    protocol::TCommandFrame frame_{};
};

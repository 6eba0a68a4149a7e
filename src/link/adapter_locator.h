// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Finds the serial port of the USB Bluetooth LE adapter. Exactly one match
// counts as "adapter found"; two adapters are as good as none.
struct TAdapterQuery {
    int Count = 0;
    QString PortName;
};

class AdapterLocator {
  public:
    virtual ~AdapterLocator() = default;
    virtual TAdapterQuery gets() = 0;
};

// Ports whose description is the adapter's ("TI CC2540 USB CDC") or whose USB id
// is the dongle's (0451:16AA).
class UsbAdapterLocator final : public AdapterLocator {
  public:
    TAdapterQuery gets() override;
};

// Always reports one given port: for adapters with another USB description,
// for pseudo-terminals (the demo meter) and for tests. An empty path reports
// no adapter.
class FixedPortLocator final : public AdapterLocator {
  public:
    explicit FixedPortLocator(QString path) : path_(std::move(path)) {}
    TAdapterQuery gets() override { return {path_.isEmpty() ? 0 : 1, path_}; }
    void SetPath(QString path) { path_ = std::move(path); }

  private:
    QString path_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

#include "link/ble_central.h"
#include "link/ble_event_gate.h"
#include "sim/meter.h"

// What a device the simulated radio can find offers once reached.
enum class TRadioKind {
    Meter,       // the simulated meter with its service and data characteristic
    Other,       // a generic service only
    NoServices,  // reached, but lists no service at all
    NoNotify,    // the meter's service, but notifications cannot be switched on
};

struct TRadioDevice {
    QString name;
    TRadioKind kind = TRadioKind::Other;
    int foundAfterMs = 100;  // into each discovery
};

// A Bluetooth LE radio with the simulated meter in reach (--demo-ble and the
// tests): the meter advertises "RU15D", sends its frames as notifications at
// its report interval, and obeys the 8-byte commands written to it. The meter
// can go out of range (the link drops) and come back.
class DemoRadio : public QObject, public BleCentral {
    Q_OBJECT

  public:
    explicit DemoRadio(sim::TSimConfig config, QObject* parent = nullptr);

    // The devices around, in the order a discovery finds them.
    void SetDevices(std::vector<TRadioDevice> devices) { devices_ = std::move(devices); }
    // The radio refuses to scan (switched off, say); nullopt lets it scan again.
    void FailDiscoveryStart(std::optional<TBleFailure> why) { failStart_ = why; }
    // The services of the meter are reported twice for one request.
    void ReportServicesTwice(bool twice) { servicesTwice_ = twice; }

    void GoOutOfRange();
    void ComeBack() { inRange_ = true; }

    sim::TSimMeter& Meter() { return meter_; }
    bool Linked() const { return linked_; }
    bool Enabled() const { return gate_.Open(); }
    // Every value written to the characteristic, in order.
    const QList<QByteArray>& Writes() const { return writes_; }
    // Index into SetDevices' list of the device the link talks to, or -1.
    int ChosenDevice() const { return chosen_; }
    int DiscoveriesStarted() const { return discoveries_; }
    int ServiceRequests() const { return serviceRequests_; }
    int Subscriptions() const { return subscriptions_; }

    void Attach(BleCentralEvents& events) override { gate_.Attach(events); }
    void SetEnabled(bool enabled) override;
    TDiscoveryStart StartDiscovery(int timeoutMs) override;
    TBleFailure LastFailure() const override { return lastFailure_; }
    void CancelDiscovery() override;
    QStringList DiscoveredDevices() const override;
    void ChooseDevice(int index) override;
    void DiscoverServices() override;
    bool HasService(const QBluetoothUuid& service) const override;
    bool Subscribe(const QBluetoothUuid& service, const QBluetoothUuid& characteristic) override;
    void Disconnect() override;
    bool Write(const QByteArray& bytes) override;

    // How long reaching a device and reading its services takes.
    static constexpr int kServiceDelayMs = 50;

  private:
    TRadioKind ChosenKind() const;
    bool MeterChosen() const { return ChosenKind() == TRadioKind::Meter; }
    bool MeterReachable() const;
    void CatchUp();
    void Deliver();
    void ScheduleNext();

    BleEventGate gate_{*this};
    sim::TSimMeter meter_;
    std::vector<TRadioDevice> devices_;
    std::optional<TBleFailure> failStart_;
    TBleFailure lastFailure_ = TBleFailure::Other;
    bool servicesTwice_ = false;
    bool inRange_ = true;

    unsigned search_ = 0;  // the running discovery; steps of older ones are dropped
    QList<int> found_;     // indices into devices_, in the order found
    int chosen_ = -1;
    bool linked_ = false;
    int subscriptions_ = 0;
    QList<QByteArray> writes_;
    int discoveries_ = 0;
    int serviceRequests_ = 0;

    QTimer wake_;
    QElapsedTimer clock_;
    qint64 simulatedMs_ = 0;
};

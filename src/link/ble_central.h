#pragma once

#include <QByteArray>

// The direct Bluetooth LE link as the connection manager and the command path
// see it. The real radio comes later; until then a do-nothing central stands in.
enum class TDiscoveryStart { Started, CannotStart, Error };

class BleCentral {
  public:
    virtual ~BleCentral() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual TDiscoveryStart StartDiscovery(int timeoutMs) = 0;
    // Drops the link; the central reports the disconnect through its owner.
    virtual void Disconnect() = 0;
    // False when there is no characteristic to write to (the command is dropped).
    virtual bool Write(const QByteArray& bytes) = 0;
};

// No Bluetooth LE radio: discovery cannot start, writes go nowhere.
class NullBleCentral final : public BleCentral {
  public:
    void SetEnabled(bool) override {}
    TDiscoveryStart StartDiscovery(int) override { return TDiscoveryStart::Error; }
    void Disconnect() override {}
    bool Write(const QByteArray&) override { return false; }
};

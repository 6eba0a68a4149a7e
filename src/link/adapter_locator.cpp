// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/adapter_locator.h"

#include <QSerialPortInfo>

namespace {
constexpr auto kAdapterDescription = "TI CC2540 USB CDC";
constexpr quint16 kAdapterVendor = 0x0451;
constexpr quint16 kAdapterProduct = 0x16AA;
}  // namespace

TAdapterQuery UsbAdapterLocator::gets() {
    TAdapterQuery query;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const bool byDescription = info.description() == kAdapterDescription;
        const bool byId = info.hasVendorIdentifier() && info.hasProductIdentifier() &&
                          info.vendorIdentifier() == kAdapterVendor &&
                          info.productIdentifier() == kAdapterProduct;
        if (byDescription || byId) {
            ++query.Count;
            query.PortName = info.systemLocation();
        }
    }
    return query;
}

#include "Corvallen/Devices/BenchDevice.h"

#include <QCoreApplication>

QList<BenchDevice> BenchDevice::allCases() { return {BenchDevice(lcrP1)}; }

std::optional<BenchDevice> BenchDevice::fromRawValue(const QString& raw)
{
    for (BenchDevice device : allCases()) {
        if (device.rawValue() == raw)
            return device;
    }
    return std::nullopt;
}

QString BenchDevice::rawValue() const
{
    switch (m_kind) {
    case lcrP1: return QStringLiteral("lcrP1");
    }
    return {};
}

QString BenchDevice::displayName() const
{
    switch (m_kind) {
    case lcrP1: return QStringLiteral("FNIRSI LCR-P1");
    }
    return {};
}

QString BenchDevice::subtitle() const
{
    switch (m_kind) {
    case lcrP1: return QCoreApplication::translate("BenchDevice", "Component tester");
    }
    return {};
}

QString BenchDevice::symbolName() const
{
    switch (m_kind) {
    case lcrP1: return QStringLiteral("cpu");
    }
    return {};
}

#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The kinds of bench instrument the application drives directly over a cable. The raw value
// is the identifier stored in "hiddenDeviceIDs".
class BenchDevice {
public:
    enum Kind { lcrP1 };

    constexpr BenchDevice(Kind kind) : m_kind(kind) {}

    // Every kind, in declaration order.
    static QList<BenchDevice> allCases();
    // Exact, case-sensitive match of a raw value; nothing for any other text.
    static std::optional<BenchDevice> fromRawValue(const QString& raw);

    Kind kind() const { return m_kind; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // Shown unchanged (a product name).
    QString displayName() const;
    // Translated.
    QString subtitle() const;
    // Icon name for the device's rows (an icon-theme name; views add a fallback).
    QString symbolName() const;

    friend bool operator==(BenchDevice a, BenchDevice b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
};

inline size_t qHash(BenchDevice device, size_t seed = 0) { return qHash(device.rawValue(), seed); }

#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include <QMutex>

namespace OnDeviceLanguageModel {

namespace {

QMutex g_availabilityLock;
std::optional<QString> g_unavailableReason;

}  // namespace

Availability availability()
{
    QMutexLocker lock(&g_availabilityLock);
    if (g_unavailableReason)
        return {false, *g_unavailableReason};
    return {};
}

void setUnavailableForTesting(const std::optional<QString>& reason)
{
    QMutexLocker lock(&g_availabilityLock);
    g_unavailableReason = reason;
}

QStringList ScreenText::lines() const
{
    QStringList out;
    int row = -1;
    for (const ScreenWord& w : words) {
        if (w.row != row || out.isEmpty()) {
            out.append(w.text);
            row = w.row;
        } else {
            out.last() += QLatin1Char(' ') + w.text;
        }
    }
    return out;
}

Session::Session(QString instructions)
    : m_instructions(std::move(instructions))
{
}

}  // namespace OnDeviceLanguageModel

#include "Corvallen/Shell/SaveFailureMonitor.h"

#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Store/StoreErrorText.h"

SaveFailureMonitor::SaveFailureMonitor(ModelContext& context, QObject* parent) : QObject(parent), m_context(context)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &SaveFailureMonitor::retryNow);
    connect(&m_context, &ModelContext::saveFailed, this, &SaveFailureMonitor::failed);
    connect(&m_context, &ModelContext::didSave, this, &SaveFailureMonitor::succeeded);
}

QString SaveFailureMonitor::message() const
{
    if (!m_failing)
        return {};
    return tr("Your changes couldn\u2019t be saved. %1 They are kept, and Corvallen keeps trying to save them.").arg(m_reason);
}

void SaveFailureMonitor::setRetryDelays(const QList<int>& milliseconds)
{
    if (!milliseconds.isEmpty())
        m_delays = milliseconds;
}

void SaveFailureMonitor::retryNow()
{
    m_retry.stop();
    // A save with nothing pending succeeds without a word from the context: the notice ends
    // here then (the changes were undone, or another save already took them).
    if (m_context.save() && m_failing)
        succeeded();
}

bool SaveFailureMonitor::saveBeforeQuit()
{
    if (!m_context.hasChanges())
        return true;
    m_retry.stop();
    return m_context.save();
}

void SaveFailureMonitor::failed(const QString& error)
{
    const QString reason = StoreErrorText::plainReason(m_context.lastSaveErrorCode(), error);
    const bool changed = !m_failing || reason != m_reason;
    m_failing = true;
    m_reason = reason;
    if (!m_retry.isActive()) {
        m_retry.start(m_delays.at(std::min<qsizetype>(m_attempt, m_delays.size() - 1)));
        ++m_attempt;
    }
    if (changed)
        Q_EMIT stateChanged();
}

void SaveFailureMonitor::succeeded()
{
    m_retry.stop();
    m_attempt = 0;
    if (!m_failing)
        return;
    m_failing = false;
    m_reason.clear();
    Q_EMIT stateChanged();
}

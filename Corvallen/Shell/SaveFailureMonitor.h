#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class ModelContext;

// Makes sure no failed save of the main context goes unseen. After a failure it says why in
// plain words (the main window shows that at once), keeps the changes pending (the context
// does) and saves again by itself, after 2 and 5 seconds and then every 10 seconds; the
// notice ends with the next save that succeeds, whoever makes it. Main thread.
class SaveFailureMonitor : public QObject {
    Q_OBJECT
public:
    explicit SaveFailureMonitor(ModelContext& context, QObject* parent = nullptr);

    bool isFailing() const { return m_failing; }
    // The reason of the last failure, in plain words ("The disk is full.").
    QString reason() const { return m_reason; }
    // The whole notice: what happened, why, and that nothing is lost yet.
    QString message() const;

    // "Try Again": saves now.
    void retryNow();
    // Before quitting: saves what is pending. True when nothing is left unsaved.
    bool saveBeforeQuit();

    // The waits between automatic tries; the last one repeats.
    void setRetryDelays(const QList<int>& milliseconds);
    bool retryScheduled() const { return m_retry.isActive(); }

Q_SIGNALS:
    // isFailing() or reason() changed.
    void stateChanged();

private:
    void failed(const QString& error);
    void succeeded();

    ModelContext& m_context;
    QTimer m_retry;
    QList<int> m_delays{2000, 5000, 10000};
    int m_attempt = 0;
    bool m_failing = false;
    QString m_reason;
};

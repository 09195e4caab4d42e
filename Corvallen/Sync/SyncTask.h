#pragma once

#include <atomic>

// The handle of the one running sync. The stop button cancels it; the run looks at it between
// files and stops there. Shared between the main thread and the run's worker thread.
class SyncTask {
public:
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic_bool m_cancelled{false};
};

#pragma once

#include "Corvallen/Backup/BackupBundle.h"

#include <QPromise>

#include <algorithm>
#include <exception>
#include <memory>

// What the *Async entry points of the backup code (export, selective restore, staging) share.
// They move the long file work to the global thread pool and report progress (0 to 1000)
// through the returned future; a failure comes back as the future's exception (a BackupError).
namespace BackupAsync {

// Maps the progress of one step onto [from, to] of the whole.
inline BackupBundle::Progress part(const BackupBundle::Progress& whole, double from, double to)
{
    if (!whole)
        return {};
    return [whole, from, to](double f) { whole(from + (to - from) * std::clamp(f, 0.0, 1.0)); };
}

template <class T>
std::shared_ptr<QPromise<T>> startedPromise()
{
    auto promise = std::make_shared<QPromise<T>>();
    promise->start();
    promise->setProgressRange(0, 1000);
    return promise;
}

template <class T>
BackupBundle::Progress reporter(const std::shared_ptr<QPromise<T>>& promise)
{
    auto last = std::make_shared<int>(-1);
    return [promise, last](double f) {
        const int value = int(std::clamp(f, 0.0, 1.0) * 1000);
        if (value > *last) {
            *last = value;
            promise->setProgressValue(value);
        }
    };
}

// Ends the promise with the exception being handled.
template <class T>
void failPromise(const std::shared_ptr<QPromise<T>>& promise)
{
    promise->setException(std::current_exception());
    promise->finish();
}

}  // namespace BackupAsync

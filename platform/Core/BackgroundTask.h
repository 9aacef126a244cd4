#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace background {

// Runs `work` on `pool` and hands its result to `then` on the thread of
// `context` (for views and stores, the main thread). If `context` is
// destroyed first, `then` is never called; `work` still runs to its end, so
// it must own everything it touches.
template <typename Work, typename Then>
void run(QObject* context, Work work, Then then,
         QThreadPool* pool = QThreadPool::globalInstance()) {
    using Value = std::invoke_result_t<Work>;
    auto* watcher = new QFutureWatcher<Value>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, then = std::move(then)]() mutable {
                         watcher->deleteLater();
                         if constexpr (std::is_void_v<Value>)
                             then();
                         else
                             then(watcher->future().takeResult());
                     });
    watcher->setFuture(QtConcurrent::run(pool, std::move(work)));
}

} // namespace background

// The waits of the sequences: timers and a worker thread, so the GUI thread
// goes back to its event loop at every pause.
#include "sequencequeue.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <QtConcurrent>

void SequenceQueue::wait(int ms, std::function<void()> then)
{
    QTimer::singleShot(ms, Qt::PreciseTimer, m_context, [this, then = std::move(then)] {
        if (!m_shutDown)
            then();
    });
}

void SequenceQueue::offThread(std::function<void()> blocking, std::function<void()> then)
{
    auto *watcher = new QFutureWatcher<void>(m_context);
    QObject::connect(watcher, &QFutureWatcher<void>::finished, m_context,
                     [this, watcher, then = std::move(then)] {
                         watcher->deleteLater();
                         if (!m_shutDown)
                             then();
                     });
    watcher->setFuture(QtConcurrent::run(&m_worker, std::move(blocking)));
}

// The waits of the sequences: timers and a worker thread, so the GUI thread
// goes back to its event loop at every pause.
#include "sequencequeue.h"

#include <QObject>
#include <QTimer>

namespace {
// How often the GUI thread looks whether the blocking call has returned.
constexpr int kWorkerPollMs = 10;
} // namespace

void SequenceQueue::wait(int ms, std::function<void()> then)
{
    QTimer::singleShot(ms, Qt::PreciseTimer, m_context, [this, then = std::move(then)] {
        if (!m_shutDown)
            then();
    });
}

void SequenceQueue::offThread(std::function<void()> blocking, std::function<void()> then)
{
    if (m_worker.joinable())
        m_worker.join();
    m_workerDone.store(false);
    m_worker = std::thread([this, blocking = std::move(blocking)] {
        blocking();
        m_workerDone.store(true, std::memory_order_release);
    });
    collectWorker(std::move(then));
}

void SequenceQueue::collectWorker(std::function<void()> then)
{
    QTimer::singleShot(kWorkerPollMs, Qt::PreciseTimer, m_context, [this, then = std::move(then)] {
        if (m_shutDown)
            return;
        if (!m_workerDone.load(std::memory_order_acquire)) {
            collectWorker(then);
            return;
        }
        m_worker.join();
        then();
    });
}

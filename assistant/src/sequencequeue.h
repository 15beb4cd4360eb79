#pragma once

#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <thread>

class QObject;

// Runs the controller's multi-step sequences (a mode switch, a quality change,
// a periodic refresh with its pause for the streamer's answer, the wait for
// Steam, ...) one after another on the GUI thread. A sequence is handed a Done
// and calls it when its last step has run; only then does the next one start.
// Its pauses are timers and its blocking calls run on a worker thread with the
// rest of the sequence queued back, so the event loop keeps running (the window
// repaints, busy indicators turn) while a sequence waits, and yet no two
// sequences ever interleave their steps.
class SequenceQueue
{
public:
    using Done = std::function<void()>;
    using Sequence = std::function<void(Done)>;

    // `context` lives on the GUI thread, owns the timers and receives the
    // continuations; its owner calls shutdown() before it goes.
    explicit SequenceQueue(QObject *context);
    ~SequenceQueue();
    SequenceQueue(const SequenceQueue &) = delete;
    SequenceQueue &operator=(const SequenceQueue &) = delete;

    // Runs `sequence` at once when nothing runs (up to its first wait), else
    // after the sequences queued before it. `name` is for the log.
    void enqueue(const QString &name, Sequence sequence);
    bool busy() const { return m_running; }
    int queued() const { return static_cast<int>(m_pending.size()); }

    // The two ways a step waits. `then` runs on the GUI thread `ms` later, or
    // after `blocking` has returned on the worker thread.
    void wait(int ms, std::function<void()> then);
    void offThread(std::function<void()> blocking, std::function<void()> then);

    // Drops the queued sequences and waits for a blocking call in progress;
    // nothing of the queue runs afterwards.
    void shutdown();

private:
    struct Entry {
        QString name;
        Sequence sequence;
    };

    void dispatch();
    void finished(quint64 id);
    void collectWorker(std::function<void()> then);

    QObject *m_context;
    std::deque<Entry> m_pending;
    bool m_running = false;
    bool m_dispatching = false;
    bool m_shutDown = false;
    quint64 m_currentId = 0;
    QString m_currentName;
    // The blocking call under way (one at a time: sequences never overlap).
    // A thread of its own, so a Steam start waiting on Qt's shared pool never
    // holds up a stop; the GUI thread looks for its end every few milliseconds
    // and joins it, which also hands over everything the call wrote.
    std::thread m_worker;
    std::atomic<bool> m_workerDone { false };
};

#include "sequencequeue.h"

#include <QDebug>
#include <QObject>

SequenceQueue::SequenceQueue(QObject *context)
    : m_context(context)
{
}

SequenceQueue::~SequenceQueue()
{
    shutdown();
}

void SequenceQueue::enqueue(const QString &name, Sequence sequence)
{
    if (m_shutDown) {
        qInfo().noquote() << "sequence dropped at exit: " + name;
        return;
    }
    m_pending.push_back(Entry { name, std::move(sequence) });
    if (m_running)
        qInfo().noquote() << QStringLiteral("sequence %1 waits for %2").arg(name, m_currentName);
    dispatch();
}

// Starts queued sequences until one of them waits. A sequence that ends
// within its own call only marks itself finished; the loop here starts the
// next one, so a long chain of such sequences never deepens the stack.
void SequenceQueue::dispatch()
{
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (!m_running && !m_pending.empty() && !m_shutDown) {
        Entry entry = std::move(m_pending.front());
        m_pending.pop_front();
        m_running = true;
        m_currentName = entry.name;
        const quint64 id = ++m_currentId;
        entry.sequence([this, id] { finished(id); });
    }
    m_dispatching = false;
}

void SequenceQueue::finished(quint64 id)
{
    if (!m_running || id != m_currentId) {
        qWarning().noquote() << "sequence finished twice: " + m_currentName;
        return;
    }
    m_running = false;
    m_currentName.clear();
    dispatch();
}

void SequenceQueue::shutdown()
{
    if (!m_pending.empty())
        qInfo() << "sequences dropped at exit:" << m_pending.size();
    m_shutDown = true;
    m_pending.clear();
    if (m_worker.joinable())
        m_worker.join();
}

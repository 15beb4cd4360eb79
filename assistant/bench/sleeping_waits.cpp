// The controller's waits as plain sleeps on the GUI thread: every pause holds
// the thread for its length and the SteamVR stop runs where it is called. The
// stall benchmark links this variant to show what the event loop loses when
// sequences wait that way.
#include "sequencequeue.h"

#include <QThread>

void SequenceQueue::wait(int ms, std::function<void()> then)
{
    QThread::msleep(static_cast<unsigned long>(ms));
    if (!m_shutDown)
        then();
}

void SequenceQueue::offThread(std::function<void()> blocking, std::function<void()> then)
{
    blocking();
    if (!m_shutDown)
        then();
}

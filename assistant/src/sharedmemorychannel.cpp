#include "sharedmemorychannel.h"

#include <QDebug>

#include <cstring>

SharedMemoryChannel::SharedMemoryChannel(const QString &blockName, const QString &mutexName)
    : m_blockName(blockName), m_mutexName(mutexName)
{
}

SharedMemoryChannel::~SharedMemoryChannel()
{
    close();
}

QString SharedMemoryChannel::defaultBlockName()
{
    const QString overridden = qEnvironmentVariable("OSTREL_SHARED_BLOCK");
    return overridden.isEmpty() ? QStringLiteral("OSTREL_VOZEMemory") : overridden;
}

QString SharedMemoryChannel::defaultMutexName()
{
    const QString overridden = qEnvironmentVariable("OSTREL_SHARED_MUTEX");
    return overridden.isEmpty() ? QStringLiteral("OSTREL_VOZEData_Mutex") : overridden;
}

bool SharedMemoryChannel::open()
{
    if (m_ready)
        return true;
    if (!m_block.open(m_blockName.toStdString(), m_mutexName.toStdString(), kBlockSize)) {
        qWarning().noquote() << "shared memory open failed:" << QString::fromStdString(m_block.lastError());
        return false;
    }
    m_view = m_block.data();
    if (m_block.createdHere() && m_block.lock()) {
        std::memset(m_view, 0, kBlockSize);
        m_block.unlock();
    }
    m_ready = true;
    return true;
}

bool SharedMemoryChannel::readValue(quint32 &value)
{
    if (!m_ready || !m_block.lock())
        return false;
    const bool valid = m_view[4] != 0;
    if (valid) {
        value = quint32(m_view[0]) | quint32(m_view[1]) << 8 | quint32(m_view[2]) << 16 | quint32(m_view[3]) << 24;
    }
    m_block.unlock();
    return valid;
}

bool SharedMemoryChannel::writeValue(quint32 value)
{
    if (!m_ready || !m_block.lock())
        return false;
    m_view[0] = static_cast<unsigned char>(value);
    m_view[1] = static_cast<unsigned char>(value >> 8);
    m_view[2] = static_cast<unsigned char>(value >> 16);
    m_view[3] = static_cast<unsigned char>(value >> 24);
    m_view[4] = 1;
    m_block.unlock();
    return true;
}

void SharedMemoryChannel::close()
{
    m_block.close();
    m_view = nullptr;
    m_ready = false;
}

#include "dual_channel_driver.h"

#include "codes.h"
#include "frame_codec.h"
#include "logger.h"

namespace nerevnet {

DualChannelDriver::DualChannelDriver(const Texts& texts) : m_texts(texts) {}

void DualChannelDriver::setChannels(DriverChannel* packets, DriverChannel* messages)
{
    m_packetChannel = packets;
    m_messageChannel = messages;
}

void DualChannelDriver::stopChannels()
{
    if (m_packetChannel) {
        m_packetChannel->stop();
    }
    if (m_messageChannel) {
        m_messageChannel->stop();
    }
}

int32_t DualChannelDriver::start(const char* address, uint32_t port, uint32_t* bindPort)
{
    // onStart is raised with only the lifecycle lock held: the host's
    // callbacks hold the listener lock while they may send (driver lock).
    std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
    const int32_t checked = BaseDriver::start(address, port, bindPort);
    if (checked != code(ErrorCode::Success)) {
        return checked;
    }
    std::unique_lock<std::mutex> lock(m_driverLock);
    if (port == 0 || port > 65534) {
        // A server needs a port to listen on, and port + 1 must exist.
        NLOG_ERROR("{}::port error", m_texts.className);
        return code(ErrorCode::InvalidParam);
    }
    if (!m_packetChannel || !m_messageChannel) {
        NLOG_ERROR("[{}] Start before init", typeName());
        return code(ErrorCode::DriverInternalError);
    }
    if (m_packetChannel->isRunning() || m_messageChannel->isRunning()) {
        NLOG_ERROR("[{}] Already started, stop first", typeName());
        return code(ErrorCode::InvalidParam);
    }
    const bool server = isServer();
    if (server && bindPort) {
        *bindPort = port;
    }
    m_packetChannel->start(address, uint16_t(port), server);
    m_messageChannel->start(address, uint16_t(port + 1), server);
    lock.unlock();
    BaseDriver::onStart(role(), true);
    return code(ErrorCode::Success);
}

void DualChannelDriver::stop()
{
    std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
    {
        std::lock_guard<std::mutex> lock(m_driverLock);
        BaseDriver::stop();
        if (m_texts.logsStop) {
            NLOG_INFO("Stop {}", m_texts.className);
        }
    }
    if ((m_packetChannel && m_packetChannel->runsOnThisThread())
        || (m_messageChannel && m_messageChannel->runsOnThisThread())) {
        NLOG_ERROR("[{}] Stop called from a network callback; call it from the host's thread", typeName());
        return;
    }
    // The channel threads are joined without the driver lock: a callback
    // running on them may be sending through this driver right now.
    stopChannels();
    BaseDriver::onStop(role());
}

int32_t DualChannelDriver::sendMessage(const char* data, uint32_t length, bool reliable)
{
    std::lock_guard<std::mutex> lock(m_driverLock);
    BaseDriver::sendMessage(data, length, reliable);
    if (m_status != ConnectStatus_Connected || !m_messageChannel) {
        NLOG_DEBUG("sendMessage fail, no connection");
        return 0;
    }
    return sendOnMessageChannel(data, length);
}

bool DualChannelDriver::sendPacket(const NerevnetPacket* packet)
{
    std::lock_guard<std::mutex> lock(m_driverLock);
    BaseDriver::sendPacket(packet);
    if (m_status != ConnectStatus_Connected || !m_packetChannel) {
        NLOG_DEBUG("{}", m_texts.packetNotConnected);
        return false;
    }
    if (packet == nullptr) {
        NLOG_ERROR("[{}] sendPacket fail: no packet", typeName());
        return false;
    }
    return sendOnPacketChannel(*packet, m_packetBuffer);
}

bool DualChannelDriver::isConnected()
{
    BaseDriver::isConnected();
    return m_packetChannel && m_messageChannel && m_packetChannel->isUp() && m_messageChannel->isUp();
}

void DualChannelDriver::receivePacketFrame(const uint8_t* data, size_t length)
{
    NerevnetPacket packet;
    switch (decodePacketFrame(data, length, packet)) {
    case PacketFrameResult::Ok:
        BaseDriver::onReceivePacket(&packet, 0);
        break;
    case PacketFrameResult::TooShort:
        NLOG_WARN("[{}] Drop packet frame of {} bytes: shorter than the {}-byte header", typeName(), length,
                  kPacketHeaderSize);
        break;
    case PacketFrameResult::SizeMismatch:
        NLOG_WARN("[{}] Drop packet frame of {} bytes: shorter than its declared size {} + extra size {}", typeName(),
                  length, packet.size, packet.extraSize);
        break;
    }
}

void DualChannelDriver::receiveMessage(const uint8_t* data, size_t length)
{
    BaseDriver::onReceiveMessage(reinterpret_cast<const char*>(data), uint32_t(length));
}

void DualChannelDriver::onConnectStatus(int32_t status)
{
    std::lock_guard<std::mutex> lock(m_statusLock);
    const int32_t recorded = m_status;
    NLOG_INFO("Set connect status: {} -> {}", recorded, status);
    if (recorded == status) {
        return;
    }
    if (status == ConnectStatus_Connected) {
        if (isConnected()) {
            m_status = status;
            BaseDriver::onConnectStatus(status);
        }
        return;
    }
    m_status = status;
    BaseDriver::onConnectStatus(status);
}

}  // namespace nerevnet

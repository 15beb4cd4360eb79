#include "channel_core.h"

#include "logger.h"

namespace nerevnet {

ChannelCore::ChannelCore(const char* logName, int reconnectInterval)
    : m_logName(logName), m_reconnectInterval(reconnectInterval)
{
}

ChannelCore::~ChannelCore() = default;

bool ChannelCore::runsOnThisThread() const
{
    return m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id();
}

void ChannelCore::start(const std::string& address, uint16_t port, bool isServer)
{
    m_address = address;
    m_port = port;
    m_isServer = isServer;
    {
        std::lock_guard<std::mutex> lock(m_postLock);
        m_io = std::make_unique<asio::io_context>(1);
    }
    m_retryTimer = std::make_unique<asio::steady_timer>(*m_io);
    open();
    m_thread = std::thread([this] { run(); });
}

void ChannelCore::run()
{
    for (;;) {
        try {
            m_io->run();
            return;
        } catch (const std::exception& e) {
            // A listener threw; keep the channel alive rather than lose the thread.
            NLOG_ERROR("{} Event loop error: {}", m_logName, e.what());
        }
    }
}

void ChannelCore::stop()
{
    if (!m_io) {
        return;
    }
    NLOG_INFO("{} Stop io context", m_logName);
    stopping();
    m_io->stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    close();
    m_retryTimer.reset();
    std::lock_guard<std::mutex> lock(m_postLock);
    m_io.reset();
}

void ChannelCore::retryLater(std::function<void()> step)
{
    // A zero or negative interval would spin on a port that cannot be bound
    // or a connection that is refused.
    const auto delay = m_reconnectInterval > 0 ? std::chrono::milliseconds(m_reconnectInterval * 1000LL)
                                               : std::chrono::milliseconds(100);
    m_retryTimer->expires_after(delay);
    m_retryTimer->async_wait([step = std::move(step)](const asio::error_code& error) {
        if (!error) {
            step();
        }
    });
}

}  // namespace nerevnet

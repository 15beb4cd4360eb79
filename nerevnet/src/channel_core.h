// What every channel of the UDP and TCP drivers (and the plain TCP client and
// server) shares: its own event loop on its own thread between start() and
// stop(), the retry timer of its restart cycle, and work posted to that
// thread from other threads.
#pragma once

#include "dual_channel_driver.h"

#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace nerevnet {

class ChannelCore : public DriverChannel {
public:
    ~ChannelCore() override;

    ChannelCore(const ChannelCore&) = delete;
    ChannelCore& operator=(const ChannelCore&) = delete;

    // Makes a fresh event loop, lets the transport open() on it, then runs
    // the loop on the channel's thread.
    void start(const std::string& address, uint16_t port, bool isServer) final;
    // Stops the loop, joins the thread, then lets the transport close().
    // Concrete channels call it from their own destructor, while their
    // part still exists.
    void stop() final;
    bool isRunning() const final { return m_thread.joinable(); }
    bool runsOnThisThread() const final;

protected:
    // `logName` begins the "Stop io context" line, e.g. "[Udp]".
    ChannelCore(const char* logName, int reconnectInterval);

    // On the caller's thread inside start(), before the loop runs: create the
    // transport's objects on io() and post its first task.
    virtual void open() = 0;
    // Inside stop(), before the loop is stopped: release a wait that the
    // channel's thread may be stuck in.
    virtual void stopping() {}
    // Inside stop(), after the thread has ended: release what open() made.
    virtual void close() = 0;

    asio::io_context& io() { return *m_io; }

    // Runs `task` on the channel's thread; false (and nothing runs) when the
    // channel is not running. Any thread.
    template <class Task>
    bool post(Task&& task)
    {
        std::lock_guard<std::mutex> lock(m_postLock);
        if (!m_io || m_io->stopped()) {
            return false;
        }
        asio::post(*m_io, std::forward<Task>(task));
        return true;
    }

    // Runs `step` on the channel's thread once the reconnect interval has
    // passed (a tenth of a second when the interval is not positive).
    void retryLater(std::function<void()> step);

    const std::string& address() const { return m_address; }
    uint16_t port() const { return m_port; }
    bool isServer() const { return m_isServer; }
    int reconnectInterval() const { return m_reconnectInterval; }
    const char* logName() const { return m_logName; }

private:
    void run();

    const char* m_logName;
    int m_reconnectInterval;
    std::string m_address;
    uint16_t m_port = 0;
    bool m_isServer = false;
    std::unique_ptr<asio::io_context> m_io;
    std::unique_ptr<asio::steady_timer> m_retryTimer;
    std::thread m_thread;
    // Guards m_io against a post from another thread while stop() resets it.
    std::mutex m_postLock;
};

}  // namespace nerevnet

// Helpers for the transport tests: a host instance driven through the C API
// that records everything its callbacks report, free loopback ports, and a
// capture of the library log.
#pragma once

#include "nerevnet.h"
#include "support.h"

#include <asio.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef __linux__
#include <dirent.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif

namespace transport_test {

using namespace std::chrono_literals;

// Log lines of the library since a mark (the test program installed the
// capture) that contain a text.
inline size_t logMark()
{
    return testsupport::LogCapture::instance().mark();
}
inline size_t loggedCount(size_t mark, const std::string& text)
{
    size_t count = 0;
    for (const auto& line : testsupport::LogCapture::instance().since(mark)) {
        count += line.text.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}
inline bool logged(size_t mark, const std::string& text)
{
    return loggedCount(mark, text) > 0;
}

// Waits until `condition` holds, polling; false when the time ran out.
inline bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5000ms)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(2ms);
    }
    return condition();
}

// A port p such that p and p + 1 are both free for the protocol right now.
template <class Protocol>
uint16_t freePortPair()
{
    asio::io_context io;
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 200; ++attempt) {
        typename Protocol::socket probe(io, typename Protocol::endpoint(Protocol::v4(), 0));
        const uint16_t port = probe.local_endpoint().port();
        if (port >= 65534) {
            continue;
        }
        asio::error_code error;
        typename Protocol::socket next(io);
        next.open(Protocol::v4(), error);
        next.bind(typename Protocol::endpoint(Protocol::v4(), uint16_t(port + 1)), error);
        if (!error) {
            return port;
        }
    }
    ADD_FAILURE() << "no free port pair";
    return 0;
}

inline uint16_t freePortPair(int32_t networkType)
{
    return networkType == 3 ? freePortPair<asio::ip::udp>() : freePortPair<asio::ip::tcp>();
}

inline bool runningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

inline int threadCount()
{
#ifdef __linux__
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                ++count;
            }
        }
        closedir(dir);
    }
    return count;
#else
    return -1;
#endif
}

struct ReceivedPacket {
    int32_t mediaType = 0;
    int32_t subType = 0;
    int64_t timestamp = 0;
    std::string data;
    bool hasExtra = false;
    std::string extra;
    int64_t extraSize = 0;
    uint8_t reserved[8] = {};
};

// One library instance with its callbacks recorded.
class Host {
public:
    Host(int32_t networkType, bool server, int32_t reconnectInterval = 1)
        : m_type(networkType), m_role(server ? 1 : 2)
    {
        NerevnetStartupConfig config = testsupport::makeConfig(networkType);
        config.reconnectInterval = reconnectInterval;
        config.role = m_role;
        int32_t error = -1;
        m_handle = nerevnet_startup(&config, &error);
        EXPECT_NE(m_handle, nullptr);
        EXPECT_EQ(error, 0);

        NerevnetCallbacks callbacks;
        std::memset(&callbacks, 0, sizeof(callbacks));
        callbacks.onEvent = [](const NerevnetEvent* event, void* user) {
            auto* self = static_cast<Host*>(user);
            std::lock_guard<std::mutex> lock(self->m_lock);
            self->m_events.push_back(event->event);
        };
        callbacks.onStart = [](int32_t, bool success, void* user) {
            static_cast<Host*>(user)->m_startResults.push_back(success);
        };
        callbacks.onStop = [](int32_t, void* user) { ++static_cast<Host*>(user)->m_stops; };
        callbacks.onConnectStatus = [](int32_t status, void* user) {
            auto* self = static_cast<Host*>(user);
            {
                std::lock_guard<std::mutex> lock(self->m_lock);
                self->m_statuses.push_back(status);
            }
            self->m_status = status;
        };
        callbacks.onReceiveMessage = [](const char* data, uint32_t length, void* user) {
            auto* self = static_cast<Host*>(user);
            std::function<void(const char*, uint32_t)> hook;
            {
                std::lock_guard<std::mutex> lock(self->m_lock);
                self->m_messages.emplace_back(data, length);
                hook = self->m_messageHook;
            }
            if (hook) {
                hook(data, length);
            }
        };
        callbacks.onReceivePacket = [](const NerevnetPacket* packet, uint32_t reserved, void* user) {
            auto* self = static_cast<Host*>(user);
            ReceivedPacket copy;
            copy.mediaType = packet->mediaType;
            copy.subType = packet->subType;
            copy.timestamp = packet->timestamp;
            if (packet->size > 0) {
                copy.data.assign(reinterpret_cast<const char*>(packet->data), size_t(packet->size));
            }
            copy.hasExtra = packet->extraData != nullptr;
            copy.extraSize = packet->extraSize;
            if (packet->extraData && packet->extraSize > 0) {
                copy.extra.assign(reinterpret_cast<const char*>(packet->extraData), size_t(packet->extraSize));
            }
            std::memcpy(copy.reserved, &packet->reserved, sizeof(copy.reserved));
            std::lock_guard<std::mutex> lock(self->m_lock);
            EXPECT_EQ(reserved, 0u);
            self->m_packets.push_back(std::move(copy));
        };
        nerevnet_setCallback(m_handle, &callbacks, this);
    }

    ~Host()
    {
        if (m_handle) {
            nerevnet_shutdown(m_handle);
        }
    }

    int32_t start(const std::string& address, uint16_t port)
    {
        uint32_t bound = 0;
        const int32_t result = nerevnet_start(m_handle, address.c_str(), port, &bound);
        if (result == 0 && m_role == 1) {
            EXPECT_EQ(bound, port);
        }
        return result;
    }

    void stop() { nerevnet_stop(m_handle); }

    // Connected, and the key-frame request the driver raises right after each
    // Connected status has arrived too (it comes in a second callback, so a
    // test that only waited for the status could count requests too early).
    bool waitConnected(std::chrono::milliseconds timeout = 5000ms)
    {
        return eventually(
            [this] {
                return m_status == 2 && nerevnet_isConnected(m_handle) && requireIdrCount() >= connectedCount();
            },
            timeout);
    }

    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5000ms)
    {
        return eventually(condition, timeout);
    }

    bool waitStatus(int32_t status, std::chrono::milliseconds timeout = 5000ms)
    {
        return eventually([this, status] { return m_status == status; }, timeout);
    }

    size_t messageCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_messages.size();
    }
    size_t packetCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_packets.size();
    }
    std::vector<std::string> messages()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_messages;
    }
    std::vector<ReceivedPacket> packets()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_packets;
    }
    std::vector<int32_t> statuses()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_statuses;
    }
    // Whether `status` was reported after the first `mark` notifications.
    bool sawStatusSince(size_t mark, int32_t status)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::find(m_statuses.begin() + std::min(mark, m_statuses.size()), m_statuses.end(), status)
               != m_statuses.end();
    }
    size_t statusMark()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_statuses.size();
    }
    size_t requireIdrCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return size_t(std::count(m_events.begin(), m_events.end(), 1));
    }
    size_t connectedCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return size_t(std::count(m_statuses.begin(), m_statuses.end(), 2));
    }

    // Runs on the network thread for every message, after it was recorded.
    void onMessage(std::function<void(const char*, uint32_t)> hook)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messageHook = std::move(hook);
    }

    void* handle() const { return m_handle; }
    int32_t status() const { return m_status; }
    int stops() const { return m_stops; }

private:
    int32_t m_type;
    int32_t m_role;
    void* m_handle = nullptr;
    std::mutex m_lock;
    std::vector<int32_t> m_statuses;
    std::vector<int32_t> m_events;
    std::vector<std::string> m_messages;
    std::vector<ReceivedPacket> m_packets;
    std::vector<bool> m_startResults;
    std::function<void(const char*, uint32_t)> m_messageHook;
    std::atomic<int32_t> m_status{0};
    std::atomic<int> m_stops{0};
};

inline std::string patternBytes(size_t length, uint32_t seed)
{
    std::string bytes(length, '\0');
    std::mt19937 random(seed);
    for (auto& byte : bytes) {
        byte = char(random() & 0xff);
    }
    return bytes;
}

}  // namespace transport_test

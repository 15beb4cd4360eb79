#include "base_driver.h"

#include "codes.h"
#include "logger.h"
#include "startup_config.h"
#include "utf8_path.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace nerevnet {

BaseDriver::BaseDriver() = default;

BaseDriver::~BaseDriver()
{
    std::lock_guard<std::mutex> lock(m_dumpLock);
    m_debugFiles.clear();
}

const char* BaseDriver::typeName()
{
    return networkTypeName(getType());
}

void BaseDriver::addCallback(INerevnetCallback* callback)
{
    NLOG_INFO("[{}] Call Add callback(callback: {})", typeName(), fmt::ptr(callback));
    std::unique_lock<std::shared_mutex> lock(m_listenersLock);
    if (callback && std::find(m_listeners.begin(), m_listeners.end(), callback) == m_listeners.end())
        m_listeners.push_back(callback);
}

void BaseDriver::removeCallback(INerevnetCallback* callback)
{
    NLOG_INFO("[{}] Call Remove callback(callback: {})", typeName(), fmt::ptr(callback));
    std::unique_lock<std::shared_mutex> lock(m_listenersLock);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), callback), m_listeners.end());
}

void BaseDriver::setCallbacks(const NerevnetCallbacks* record, void* user)
{
    std::unique_lock<std::shared_mutex> lock(m_listenersLock);
    if (record)
        m_callbacks = *record;
    else
        m_callbacks = NerevnetCallbacks{};
    m_user = user;
}

int32_t BaseDriver::start(const char* address, uint32_t port, uint32_t* bindPort)
{
    NLOG_INFO("[{}] Call Start driver(address: {}, port: {}, bindPort: {})", typeName(), address ? address : "",
              port, reinterpret_cast<uintptr_t>(bindPort));
    if (!address || address[0] == '\0') {
        NLOG_ERROR("[{}] Invalid address", typeName());
        onStart(m_config.role, false);
        return code(ErrorCode::InvalidParam);
    }
    if (!isServer() && port == 0) {
        NLOG_ERROR("[{}] Start as client need a valid port", typeName());
        onStart(m_config.role, false);
        return code(ErrorCode::InvalidParam);
    }
    return code(ErrorCode::Success);
}

void BaseDriver::stop()
{
    NLOG_INFO("[{}] Call Stop driver()", typeName());
}

int32_t BaseDriver::sendMessage(const char* data, uint32_t length, bool reliable)
{
    NLOG_DEBUG("[{}] Call Send message(message: {}, length: {}, reliable: {})", typeName(),
               reinterpret_cast<uintptr_t>(data), length, reliable);
    if (data)
        dump("input_message", data, length);
    return 0;
}

bool BaseDriver::sendPacket(const NerevnetPacket* packet)
{
    if (!packet)
        return false;
    NLOG_DEBUG("[{}] Call Send packet(mediaType: {}, timestamp: {}, size: {})", typeName(), packet->mediaType,
               packet->timestamp, packet->size);
    if (packet->data)
        dump("input_video", packet->data, static_cast<size_t>(packet->size));
    if (packet->extraData && packet->extraSize > 0)
        dump("input_extra_data", packet->extraData, static_cast<size_t>(packet->extraSize));
    return false;
}

bool BaseDriver::isConnected()
{
    NLOG_DEBUG("[{}] Call isConnected()", typeName());
    return false;
}

int32_t BaseDriver::initBase(const StartupConfig& config)
{
    std::memcpy(&m_config, &config.record, sizeof(m_config));
    m_logDir = config.logDir();
    m_config.logDir = m_logDir.c_str();

    if (m_config.debug) {
        // fmt's localtime is the thread-safe one of each platform.
        const std::tm local = fmt::localtime(std::time(nullptr));
        const std::string stamp = fmt::format("NerevNetDebug/{:0>2}-{:0>2}_{:0>2}-{:0>2}-{:0>2}", local.tm_mon + 1,
                                              local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        if (!config.logDirIsUtf8) {
            NLOG_ERROR("Create debug dir fail: {} (logDir is not UTF-8)", printableUtf8(m_logDir) + "/" + stamp);
            return code(ErrorCode::CreateDebugDirectoryFail);
        }
        std::filesystem::path dir = pathFromUtf8(stamp);
        if (!m_logDir.empty())
            dir = pathFromUtf8(m_logDir) / dir;
        m_debugDir = dir.u8string();
        NLOG_INFO("Create debug dir: {}", m_debugDir);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec || !std::filesystem::is_directory(dir, ec)) {
            NLOG_ERROR("Create debug dir fail: {}", m_debugDir);
            return code(ErrorCode::CreateDebugDirectoryFail);
        }
    }
    return init(&m_config);
}

void BaseDriver::dump(const char* name, const void* data, size_t length)
{
    if (!m_config.debug || !data)
        return;
    std::lock_guard<std::mutex> lock(m_dumpLock);
    auto it = m_debugFiles.find(name);
    if (it == m_debugFiles.end()) {
        const auto path = pathFromUtf8(m_debugDir) / name;
        auto file = std::make_shared<std::ofstream>(path, std::ios::binary | std::ios::trunc);
        it = m_debugFiles.emplace(name, std::move(file)).first;
    }
    // A stream that failed to open swallows the data.
    it->second->write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    it->second->flush();
}

void BaseDriver::onError(int32_t error, const char* message)
{
    NLOG_INFO("[{}] OnError(error: {}, message: {})", typeName(), error, message ? message : "");
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onError(error, message);
    if (m_callbacks.onError)
        m_callbacks.onError(error, message, m_user);
}

void BaseDriver::onEvent(const NerevnetEvent* event)
{
    NLOG_INFO("[{}] OnEvent(event: {})", typeName(), event ? eventText(event->event) : "");
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onEvent(event);
    if (m_callbacks.onEvent)
        m_callbacks.onEvent(event, m_user);
}

void BaseDriver::onStart(int32_t role, bool success)
{
    NLOG_INFO("[{}] OnStart(role: {}, success: {})", typeName(), roleName(role), success);
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onStart(role, success);
    if (m_callbacks.onStart)
        m_callbacks.onStart(role, success, m_user);
}

void BaseDriver::onStop(int32_t role)
{
    NLOG_INFO("[{}] OnStop(role: {})", typeName(), roleName(role));
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onStop(role);
    if (m_callbacks.onStop)
        m_callbacks.onStop(role, m_user);
}

void BaseDriver::onConnectStatus(int32_t status)
{
    NLOG_INFO("[{}] OnConnectStatus(status: {})", typeName(), connectStatusName(status));
    {
        std::shared_lock<std::shared_mutex> lock(m_listenersLock);
        for (INerevnetCallback* listener : m_listeners)
            listener->onConnectStatus(status);
        if (m_callbacks.onConnectStatus)
            m_callbacks.onConnectStatus(status, m_user);
    }
    if (status == ConnectStatus_Connected) {
        // A newly connected peer needs a key frame before it can decode anything.
        NerevnetEvent event;
        std::memset(&event, 0, sizeof(event));
        event.event = static_cast<int32_t>(EventCode::RequireIDR);
        event.timestamp = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
        onEvent(&event);
    }
}

void BaseDriver::onStatistics(const NerevnetStatistics* stats)
{
    if (stats)
        NLOG_INFO("[{}] OnStatistics rtt: {}, loss: {}; bitrate:{}; e2e: {}", typeName(), stats->rtt, stats->loss,
                  stats->bitrate, stats->e2e);
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onStatistics(stats);
    if (m_callbacks.onStatistics)
        m_callbacks.onStatistics(stats, m_user);
}

void BaseDriver::onReceiveMessage(const char* data, uint32_t length)
{
    NLOG_DEBUG("[{}] OnReceiveMessage(length: {})", typeName(), length);
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onReceiveMessage(data, length);
    if (m_callbacks.onReceiveMessage)
        m_callbacks.onReceiveMessage(data, length, m_user);
    dump("receive_message", data, length);
}

void BaseDriver::onReceivePacket(const NerevnetPacket* packet, uint32_t reserved)
{
    NLOG_DEBUG("[{}] OnReceivePacket(size: {})", typeName(), packet ? packet->size : 0);
    std::shared_lock<std::shared_mutex> lock(m_listenersLock);
    for (INerevnetCallback* listener : m_listeners)
        listener->onReceivePacket(packet, reserved);
    if (m_callbacks.onReceivePacket)
        m_callbacks.onReceivePacket(packet, reserved, m_user);
    if (packet) {
        dump("receive_video", packet->data, static_cast<size_t>(packet->size));
        if (packet->extraData && packet->extraSize > 0)
            dump("receive_extra_data", packet->extraData, static_cast<size_t>(packet->extraSize));
    }
}

} // namespace nerevnet

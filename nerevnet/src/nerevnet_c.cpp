// The exported C functions. Exceptions never leave them.
#include "nerevnet.h"

#include "base_driver.h"
#include "codes.h"
#include "logger.h"
#include "nerevnet_internal.h"
#include "socket_imp.h"

#include <exception>

using nerevnet::INerevnet;

namespace {

const char* const kNotStartup = "Please call nerevnet_startup first";

INerevnet* instanceOf(NerevnetHandle handle)
{
    return static_cast<INerevnet*>(handle);
}

template <typename Fn, typename R>
R guarded(const char* what, R failure, Fn&& fn) noexcept
{
    try {
        return fn();
    } catch (const std::exception& e) {
        try {
            NLOG_ERROR("{} failed: {}", what, e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            NLOG_ERROR("{} failed", what);
        } catch (...) {
        }
    }
    return failure;
}

} // namespace

extern "C" {

NEREVNET_API const char* nerevnet_getVersion(void)
{
    return NEREVNET_VERSION;
}

NEREVNET_API const char* nerevnet_errorToString(int32_t code)
{
    return nerevnet::errorText(code);
}

NEREVNET_API const char* nerevnet_eventToString(int32_t event)
{
    return nerevnet::eventText(event);
}

NEREVNET_API void nerevnet_setLogCallback(NerevnetLogCallback callback, void* user)
{
    guarded("nerevnet_setLogCallback", 0, [&] {
        NLOG_INFO("Set log callback: {}", fmt::ptr(reinterpret_cast<const void*>(callback)));
        nerevnet::setLogCallback(callback, user);
        return 0;
    });
}

NEREVNET_API bool nerevnet_isSupportMultiInstance(int32_t networkType)
{
    return nerevnet::isSupportMultiInstance(networkType);
}

NEREVNET_API NerevnetHandle nerevnet_startup(const NerevnetStartupConfig* config, int32_t* error)
{
    // startup() stores a code on every path it returns by; a start-up ended by
    // an exception must not leave the host's earlier value (often 0) behind.
    if (error)
        *error = NerevnetErrorCode_DriverInternalError;
    NerevnetHandle handle = guarded("nerevnet_startup", NerevnetHandle{nullptr}, [&] {
        return nerevnet::startup(config, error);
    });
    return handle;
}

NEREVNET_API void nerevnet_shutdown(NerevnetHandle handle)
{
    guarded("nerevnet_shutdown", 0, [&] {
        nerevnet::shutdown(handle);
        return 0;
    });
}

NEREVNET_API NerevnetInterface* nerevnet_getInstance(NerevnetHandle handle)
{
    return instanceOf(handle);
}

NEREVNET_API void nerevnet_setCallback(NerevnetHandle handle, const NerevnetCallbacks* record, void* user)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return;
    }
    nerevnet::driverOf(handle)->setCallbacks(record, user);
}

NEREVNET_API int32_t nerevnet_start(NerevnetHandle handle, const char* address, uint32_t port, uint32_t* bindPort)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return nerevnet::code(nerevnet::ErrorCode::NotStartup);
    }
    return guarded("nerevnet_start", nerevnet::code(nerevnet::ErrorCode::DriverInternalError),
                   [&] { return instanceOf(handle)->start(address, port, bindPort); });
}

NEREVNET_API void nerevnet_stop(NerevnetHandle handle)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return;
    }
    guarded("nerevnet_stop", 0, [&] {
        instanceOf(handle)->stop();
        return 0;
    });
}

NEREVNET_API bool nerevnet_isConnected(NerevnetHandle handle)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return false;
    }
    return guarded("nerevnet_isConnected", false, [&] { return instanceOf(handle)->isConnected(); });
}

NEREVNET_API int32_t nerevnet_sendMessage(NerevnetHandle handle, const char* data, uint32_t length, bool reliable)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return 0;
    }
    return guarded("nerevnet_sendMessage", 0,
                   [&] { return instanceOf(handle)->sendMessage(data, length, reliable); });
}

NEREVNET_API bool nerevnet_sendPacket(NerevnetHandle handle, const NerevnetPacket* packet)
{
    if (!handle) {
        NLOG_WARN("{}", kNotStartup);
        return false;
    }
    return guarded("nerevnet_sendPacket", false, [&] { return instanceOf(handle)->sendPacket(packet); });
}

/* ---- UDP broadcast and the plain TCP client and server ---- */

NEREVNET_API bool nerevnet_broadcast(uint32_t port, const void* data, uint32_t length)
{
    return guarded("nerevnet_broadcast", false, [&] { return nerevnet::simple::broadcast(port, data, length); });
}

NEREVNET_API bool nerevnet_reciverBroadcast(uint32_t port, NerevnetBroadcastCallback callback)
{
    return guarded("nerevnet_reciverBroadcast", false,
                   [&] { return nerevnet::simple::startBroadcastReceiver(port, callback); });
}

NEREVNET_API void nerevnet_stopReciverBroadcast(void)
{
    guarded("nerevnet_stopReciverBroadcast", 0, [&] {
        nerevnet::simple::stopBroadcastReceiver();
        return 0;
    });
}

NEREVNET_API bool nerevnet_startTcpClient(uint32_t port, const char* address, NerevnetTcpDataCallback dataCallback,
                                          NerevnetTcpStatusCallback statusCallback)
{
    return guarded("nerevnet_startTcpClient", false, [&] {
        return nerevnet::simple::startTcpClient(port, address, dataCallback, statusCallback);
    });
}

NEREVNET_API bool nerevnet_startTcpServer(uint32_t port, NerevnetTcpDataCallback dataCallback,
                                          NerevnetTcpStatusCallback statusCallback)
{
    return guarded("nerevnet_startTcpServer", false,
                   [&] { return nerevnet::simple::startTcpServer(port, dataCallback, statusCallback); });
}

NEREVNET_API bool nerevnet_sendTcpClient(const char* data, uint32_t length)
{
    return guarded("nerevnet_sendTcpClient", false, [&] { return nerevnet::simple::sendTcpClient(data, length); });
}

NEREVNET_API bool nerevnet_sendTcpServer(const char* data, uint32_t length)
{
    return guarded("nerevnet_sendTcpServer", false, [&] { return nerevnet::simple::sendTcpServer(data, length); });
}

NEREVNET_API void nerevnet_stopTcpClient(void)
{
    guarded("nerevnet_stopTcpClient", 0, [&] {
        nerevnet::simple::stopTcpClient();
        return 0;
    });
}

NEREVNET_API void nerevnet_stopTcpTcpServer(void)
{
    guarded("nerevnet_stopTcpTcpServer", 0, [&] {
        nerevnet::simple::stopTcpServer();
        return 0;
    });
}

} // extern "C"

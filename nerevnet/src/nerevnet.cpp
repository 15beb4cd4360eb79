#include "nerevnet_internal.h"

#include "base_driver.h"
#include "codes.h"
#include "logger.h"
#include "mock_driver.h"
#include "startup_config.h"
#include "tcp_driver.h"
#include "udp_driver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace nerevnet {
namespace {

using Registry = std::unordered_map<NerevnetHandle, std::shared_ptr<BaseDriver>>;

Registry& registry()
{
    // Touch the logger first so it outlives the registry at unload: drivers
    // log from their destructors.
    logger();
    static Registry instances;
    return instances;
}

void setError(int32_t* error, int32_t value)
{
    if (error)
        *error = value;
}

// Creates the driver of a network type; null when this library has none for it.
std::shared_ptr<BaseDriver> createDriver(int32_t networkType)
{
    switch (networkType) {
    case NetworkType_Mock: return std::make_shared<MockDriver>();
    case NetworkType_Tcp: return std::make_shared<TcpDriver>();
    case NetworkType_Udp: return std::make_shared<UdpDriver>();
    default: return nullptr;
    }
}

} // namespace

bool isSupportMultiInstance(int32_t networkType)
{
    switch (static_cast<uint32_t>(networkType)) {
    case NetworkType_Mock:
    case NetworkType_Tcp:
    case NetworkType_Udp:
    case NetworkType_Steam: return true;
    default: return false;
    }
}

bool versionCompatible(const char* hostVersion)
{
    if (!hostVersion || hostVersion[0] == '\0')
        return false;
    int hostMajor = 0, hostMinor = 0, hostPatch = 0;
    if (std::sscanf(hostVersion, "%d.%d.%d", &hostMajor, &hostMinor, &hostPatch) != 3) {
        NLOG_ERROR("Invalid config version: {}", hostVersion);
        return false;
    }
    int ownMajor = 0, ownMinor = 0, ownPatch = 0;
    if (std::sscanf(NEREVNET_VERSION, "%d.%d.%d", &ownMajor, &ownMinor, &ownPatch) != 3) {
        NLOG_ERROR("Invalid sdk version: {}", NEREVNET_VERSION);
        return false;
    }
    return hostMajor == ownMajor && hostMinor <= ownMinor;
}

NerevnetHandle startup(const NerevnetStartupConfig* hostConfig, int32_t* error)
{
    if (!hostConfig) {
        setError(error, code(ErrorCode::InvalidParam));
        return nullptr;
    }
    const StartupConfig checked = checkStartupConfig(*hostConfig);
    const NerevnetStartupConfig& config = checked.record;

    if (!hasOwnLogger()) {
        const int32_t result = createLogger(checked);
        if (result != code(ErrorCode::Success)) {
            setError(error, result);
            return nullptr;
        }
    }
    NLOG_INFO("Nerevnet SDK version: {}", NEREVNET_VERSION);

    if (!versionCompatible(config.version)) {
        NLOG_ERROR("Startup fail, version not compatible: {} vs {}", config.version ? config.version : "",
                   NEREVNET_VERSION);
        setError(error, code(ErrorCode::VersionIncompatible));
        return nullptr;
    }

    const char* typeName = networkTypeName(config.networkType);
    for (const auto& entry : registry()) {
        if (entry.second->getType() == config.networkType && !isSupportMultiInstance(config.networkType)) {
            NLOG_ERROR("Startup fail, driver {} not support multi instance", typeName);
            setError(error, code(ErrorCode::NotSupportMultiInstance));
            return nullptr;
        }
    }

    std::shared_ptr<BaseDriver> driver = createDriver(config.networkType);
    if (!driver) {
        NLOG_ERROR("Startup fail, invalid network type: {}", typeName);
        setError(error, code(ErrorCode::InvalidNetworkType));
        return nullptr;
    }

    const int32_t initResult = driver->initBase(checked);
    if (initResult != code(ErrorCode::Success)) {
        NLOG_ERROR("Startup fail, init {} fail", typeName);
        setError(error, initResult);
        return nullptr;
    }

    NerevnetHandle handle = static_cast<INerevnet*>(driver.get());
    registry().emplace(handle, std::move(driver));
    NLOG_INFO("Startup success, type: {}", typeName);
    setError(error, code(ErrorCode::Success));
    return handle;
}

void shutdown(NerevnetHandle handle)
{
    NLOG_INFO("Destroy network instance: {}", fmt::ptr(handle));
    Registry& instances = registry();
    auto it = instances.find(handle);
    if (it == instances.end())
        return;
    std::shared_ptr<BaseDriver> driver = std::move(it->second);
    driver->stop();
    instances.erase(it);
}

BaseDriver* driverOf(NerevnetHandle handle)
{
    return static_cast<BaseDriver*>(static_cast<INerevnet*>(handle));
}

} // namespace nerevnet

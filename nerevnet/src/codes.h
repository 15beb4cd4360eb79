// Texts of the error and event codes and the display names used in log lines.
#pragma once

#include <cstdint>

namespace nerevnet {

enum class ErrorCode : int32_t {
    Success = 0,
    NotStartup = 1,
    Disconnected = 2,
    DriverInternalError = 3,
    InvalidParam = 4,
    VersionIncompatible = 100,
    InvalidNetworkType = 101,
    DriverNotImplemented = 102,
    NotSupportMultiInstance = 104,
    InitLoggerFail = 105,
    PortOccupied = 200,
    CreateDebugDirectoryFail = 202,
};

enum class EventCode : int32_t {
    None = 0,
    RequireIDR = 1,
    UpdateEncoderRate = 2,
    StartEncoder = 3,
    StopEncoder = 4,
};

constexpr int32_t code(ErrorCode c) { return static_cast<int32_t>(c); }

const char* errorText(int32_t code);
const char* eventText(int32_t event);
const char* networkTypeName(int32_t type);
const char* roleName(int32_t role);
const char* connectStatusName(int32_t status);

} // namespace nerevnet

#include "codes.h"

#include "nerevnet.h"

namespace nerevnet {

const char* errorText(int32_t code)
{
    switch (static_cast<ErrorCode>(code)) {
    case ErrorCode::Success: return "[Common] Success";
    case ErrorCode::NotStartup: return "[Common] Not startup";
    case ErrorCode::Disconnected: return "[Common] Disconnected";
    case ErrorCode::DriverInternalError: return "[Common] Driver internal error";
    case ErrorCode::InvalidParam: return "[Common] Invalid param";
    case ErrorCode::VersionIncompatible: return "[Startup] Version incompatible";
    case ErrorCode::InvalidNetworkType: return "[Startup] Invalid network driver type";
    case ErrorCode::DriverNotImplemented: return "[Startup] Driver NOT implemented";
    case ErrorCode::NotSupportMultiInstance: return "[Startup] Not support multi instance";
    case ErrorCode::InitLoggerFail: return "[Startup] init logger fail";
    case ErrorCode::PortOccupied: return "[Start] Port occupied";
    case ErrorCode::CreateDebugDirectoryFail: return "[Start] Create debug directory fail";
    default: return "[Common] Unknown error code";
    }
}

const char* eventText(int32_t event)
{
    switch (static_cast<EventCode>(event)) {
    case EventCode::None: return "None";
    case EventCode::RequireIDR: return "Require IDR";
    case EventCode::UpdateEncoderRate: return "Update encoder rate";
    case EventCode::StartEncoder: return "Start encoder";
    case EventCode::StopEncoder: return "Stop encoder";
    default: return "Unknown event code";
    }
}

const char* networkTypeName(int32_t type)
{
    switch (type) {
    case NetworkType_Mock: return "Mock";
    case NetworkType_NerevTC: return "NEREVTC";
    case NetworkType_Tcp: return "TCP";
    case NetworkType_Udp: return "UDP";
    case NetworkType_Rtc: return "RTC";
    case NetworkType_Steam: return "Steam";
    default: return "Unknown";
    }
}

const char* roleName(int32_t role)
{
    return role == Role_Server ? "server" : "client";
}

const char* connectStatusName(int32_t status)
{
    switch (status) {
    case ConnectStatus_Connecting: return "Connecting";
    case ConnectStatus_Connected: return "Connected";
    case ConnectStatus_Disconnected: return "Disconnected";
    default: return "Unknown";
    }
}

} // namespace nerevnet

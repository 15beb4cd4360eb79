#include "codes.h"

namespace nerevnet {

const char* errorText(int32_t code)
{
    switch (code) {
    case 0: return "[Common] Success";
    case 1: return "[Common] Not startup";
    case 2: return "[Common] Disconnected";
    case 3: return "[Common] Driver internal error";
    case 4: return "[Common] Invalid param";
    case 100: return "[Startup] Version incompatible";
    case 101: return "[Startup] Invalid network driver type";
    case 102: return "[Startup] Driver NOT implemented";
    case 104: return "[Startup] Not support multi instance";
    case 105: return "[Startup] init logger fail";
    case 200: return "[Start] Port occupied";
    case 202: return "[Start] Create debug directory fail";
    default: return "[Common] Unknown error code";
    }
}

const char* eventText(int32_t event)
{
    switch (event) {
    case 0: return "None";
    case 1: return "Require IDR";
    case 2: return "Update encoder rate";
    case 3: return "Start encoder";
    case 4: return "Stop encoder";
    default: return "Unknown event code";
    }
}

const char* networkTypeName(int32_t type)
{
    switch (type) {
    case 0: return "Mock";
    case 1: return "NEREVTC";
    case 2: return "TCP";
    case 3: return "UDP";
    case 4: return "RTC";
    case 5: return "Steam";
    default: return "Unknown";
    }
}

const char* roleName(int32_t role)
{
    return role == 1 ? "server" : "client";
}

const char* connectStatusName(int32_t status)
{
    switch (status) {
    case 1: return "Connecting";
    case 2: return "Connected";
    case 3: return "Disconnected";
    default: return "Unknown";
    }
}

} // namespace nerevnet

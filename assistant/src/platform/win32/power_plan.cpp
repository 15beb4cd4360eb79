#include "platform/power_plan.h"

#include "win32_text.h"

#include <windows.h>
#include <powrprof.h>

#include <cwchar>

namespace platform {
namespace {

// The built-in schemes.
const GUID kPowerSaver = {0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};
const GUID kBalanced = {0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
const GUID kHighPerformance = {0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
const GUID kUltimatePerformance = {0xE9A42B02, 0xD5DF, 0x448D, {0xAA, 0x00, 0x03, 0xF1, 0x47, 0x49, 0xEB, 0x61}};
// The personality a user's plan inherits from its base plan.
const GUID kNoSubgroup = {0xFEA3413E, 0x7E05, 0x4911, {0x9A, 0x71, 0x70, 0x03, 0x31, 0xF1, 0xC2, 0x94}};
const GUID kPersonality = {0x245D8541, 0x3943, 0x4422, {0xB0, 0x25, 0x13, 0xA7, 0x84, 0xF6, 0x79, 0xB7}};

std::string guidText(const GUID &g)
{
    wchar_t text[64];
    swprintf(text, 64, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned long>(g.Data1),
             g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
             g.Data4[7]);
    return win32::narrow(text);
}

} // namespace

std::optional<PowerPlan> activePowerPlan()
{
    GUID *scheme = nullptr;
    if (PowerGetActiveScheme(nullptr, &scheme) != ERROR_SUCCESS || !scheme)
        return std::nullopt;
    PowerPlan plan;
    plan.id = guidText(*scheme);
    DWORD size = 0;
    if (PowerReadFriendlyName(nullptr, scheme, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        std::wstring name(size / sizeof(wchar_t) + 1, L'\0');
        if (PowerReadFriendlyName(nullptr, scheme, nullptr, nullptr, reinterpret_cast<UCHAR *>(&name[0]), &size)
            == ERROR_SUCCESS)
            plan.name = win32::narrow(std::wstring(name.c_str()));
    }
    if (IsEqualGUID(*scheme, kPowerSaver)) {
        plan.kind = PowerPlanKind::PowerSaver;
    } else if (IsEqualGUID(*scheme, kBalanced)) {
        plan.kind = PowerPlanKind::Balanced;
    } else if (IsEqualGUID(*scheme, kHighPerformance)) {
        plan.kind = PowerPlanKind::HighPerformance;
    } else if (IsEqualGUID(*scheme, kUltimatePerformance)) {
        plan.kind = PowerPlanKind::UltimatePerformance;
    } else {
        // 0 maximum performance, 1 maximum power savings, 2 typical (balanced).
        DWORD personality = 0;
        if (PowerReadACValueIndex(nullptr, scheme, &kNoSubgroup, &kPersonality, &personality) == ERROR_SUCCESS)
            plan.kind = personality == 0 ? PowerPlanKind::HighPerformance
                      : personality == 1 ? PowerPlanKind::PowerSaver
                      : personality == 2 ? PowerPlanKind::Balanced
                                         : PowerPlanKind::Unknown;
    }
    LocalFree(scheme);
    return plan;
}

std::optional<PowerPlan> powerPlanFromPlatformProfile(const std::string &)
{
    return std::nullopt;
}

} // namespace platform

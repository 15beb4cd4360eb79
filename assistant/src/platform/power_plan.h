#pragma once

#include <optional>
#include <string>

namespace platform {

enum class PowerPlanKind { Unknown, PowerSaver, Balanced, HighPerformance, UltimatePerformance };

struct PowerPlan {
    std::string id;          // Win32: the scheme's GUID; Linux: the platform profile's name
    std::string name;        // as the system names it
    PowerPlanKind kind = PowerPlanKind::Unknown;
};

// The plan in force. Win32: PowerGetActiveScheme and PowerReadFriendlyName; the built-in
// schemes by GUID, a plan of the user's by its personality (PowerReadACValueIndex).
// Linux: the ACPI platform profile (/sys/firmware/acpi/platform_profile: "low-power",
// "quiet" and "cool" save power, "balanced", "performance"). nullopt when unknown.
std::optional<PowerPlan> activePowerPlan();
// The Linux reader on a given file, for tests.
std::optional<PowerPlan> powerPlanFromPlatformProfile(const std::string &file);

} // namespace platform

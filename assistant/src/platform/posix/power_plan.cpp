#include "platform/power_plan.h"

#include <fstream>

namespace platform {

std::optional<PowerPlan> powerPlanFromPlatformProfile(const std::string &file)
{
    std::ifstream in(file);
    std::string profile;
    if (!in || !std::getline(in, profile))
        return std::nullopt;
    while (!profile.empty() && (profile.back() == '\n' || profile.back() == ' ' || profile.back() == '\r'))
        profile.pop_back();
    if (profile.empty())
        return std::nullopt;
    PowerPlan plan;
    plan.id = profile;
    plan.name = profile;
    if (profile == "low-power" || profile == "quiet" || profile == "cool")
        plan.kind = PowerPlanKind::PowerSaver;
    else if (profile == "balanced" || profile == "balanced-performance")
        plan.kind = PowerPlanKind::Balanced;
    else if (profile == "performance")
        plan.kind = PowerPlanKind::HighPerformance;
    return plan;
}

std::optional<PowerPlan> activePowerPlan()
{
    return powerPlanFromPlatformProfile("/sys/firmware/acpi/platform_profile");
}

} // namespace platform

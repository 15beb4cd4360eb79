#pragma once

namespace platform {

enum class AcLine { Offline, Online, Unknown };

struct PowerStatus {
    bool known = false;                  // false: the status could not be read
    AcLine acLine = AcLine::Unknown;
};

PowerStatus powerStatus();

} // namespace platform

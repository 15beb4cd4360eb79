// The host's start-up record as the library works with it, checked once by
// nerevnet_startup: NEREVNET_DEBUG and the debug level applied, and whether
// the log folder is UTF-8 (the logger needs that at the first start-up, the
// debug dumps whenever debug mode is on).
#pragma once

#include "nerevnet.h"

#include <string_view>

namespace nerevnet {

struct StartupConfig {
    // A copy: the host's record may be read-only, and is not changed.
    NerevnetStartupConfig record{};
    bool logDirIsUtf8 = true;

    std::string_view logDir() const { return record.logDir ? record.logDir : ""; }
};

StartupConfig checkStartupConfig(const NerevnetStartupConfig& host);

}  // namespace nerevnet

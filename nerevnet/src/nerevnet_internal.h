// The instance registry and start-up sequence behind the C exports.
#pragma once

#include "nerevnet.h"

#include <cstdint>

namespace nerevnet {

class BaseDriver;

NerevnetHandle startup(const NerevnetStartupConfig* config, int32_t* error);
void shutdown(NerevnetHandle handle);
bool isSupportMultiInstance(int32_t networkType);
// Host version text against the library's: same major, minor not newer.
bool versionCompatible(const char* hostVersion);
// The driver behind a handle (handles are driver addresses).
BaseDriver* driverOf(NerevnetHandle handle);

} // namespace nerevnet
